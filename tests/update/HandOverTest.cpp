// The hand-over's decisions on a fake system: what happens to a locked, a
// read-only and a protected target, and what the elevated run is asked.
#include <gtest/gtest.h>

#include "update/FUpdateHandOver.h"

namespace {

const std::string Target = "C:\\Program Files\\Kestrova\\Orvane\\Orvane.exe";

struct TFakeHandOver : IKvHandOverSystem {
    std::uint32_t CopyCode = 0, LockedCode = 0, LockedTries = 0, ElevatedCode = 0;
    bool ReadOnly = false, Elevates = false;
    std::uint32_t Clock = 0, Tries = 0;
    std::string Log;  // what the system was asked, each step ending in "|"

    bool WaitForOldProgram(std::uint64_t) override { return true; }
    std::string OwnExecutable() override { return "C:\\Temp\\kvu1.tmp"; }
    std::uint32_t CopyNextTo(const std::string&, const std::string&, std::string& staged) override
    {
        Log += "copy|";
        staged = "staged";
        return CopyCode;
    }
    std::uint32_t ReplaceFile(const std::string&, const std::string&) override
    {
        return Tries++ < LockedTries ? LockedCode : 0;
    }
    void RemoveFile(const std::string& path) override { Log += "remove " + path + "|"; }
    bool IsReadOnly(const std::string&) override { return ReadOnly; }
    bool CanElevate() override { return Elevates; }
    std::uint32_t RunElevated(const std::string& arguments) override
    {
        // The expected run of the target is named without its arguments.
        Log += arguments == "/update elevated \"" + Target + "\"" ? "elevated|" : arguments + "|";
        return ElevatedCode;
    }
    std::uint32_t Milliseconds() override { return Clock; }
    void Pause(std::uint32_t milliseconds) override { Clock += milliseconds; }
    void ShowError(std::uint32_t code) override { Log += "error " + std::to_string(code) + "|"; }
    void StartProgram(const std::string& path) override
    {
        Log += path == Target ? "start|" : "start " + path + "|";
    }
};

// Whatever happens, the user is told and keeps a program that starts.
TEST(HandOver, EveryTargetEndsWithAProgramThatStarts)
{
    const struct {
        const char* Name;
        std::uint32_t CopyCode, LockedCode, LockedTries;
        bool ReadOnly, Elevates;
        std::uint32_t ElevatedCode;
        const char* Log;
    } cases[] = {
        {"locked briefly", 0, SysSharingViolation, 3, false, false, 0, "copy|start|"},
        {"image still mapped", 0, SysAccessDenied, 3, false, true, 0, "copy|start|"},
        {"locked for good", 0, SysLockViolation, 1000, false, false, 0,
         "copy|remove staged|error 33|start|"},
        {"read-only", 0, 0, 0, true, true, 0, "error 5|start|"},
        {"no rights", SysAccessDenied, 0, 0, false, true, 0, "copy|elevated|start|"},
        {"elevation refused", SysAccessDenied, 0, 0, false, true, 1223,
         "copy|elevated|error 1223|start|"},
        {"no elevation to be had", SysAccessDenied, 0, 0, false, false, 0, "copy|error 5|start|"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TFakeHandOver sys;
        sys.CopyCode = c.CopyCode, sys.LockedCode = c.LockedCode, sys.LockedTries = c.LockedTries;
        sys.ReadOnly = c.ReadOnly, sys.Elevates = c.Elevates, sys.ElevatedCode = c.ElevatedCode;
        EXPECT_EQ(RunHandOver(sys, {"kvu1.tmp", "/update", "1234", Target}), 0u);
        EXPECT_EQ(sys.Log, c.Log);
        EXPECT_LE(sys.Clock, HandOverRetryMs);
    }
}

TEST(HandOver, TheElevatedRunOnlyPutsTheFileInPlace)
{
    TFakeHandOver sys;
    sys.CopyCode = SysAccessDenied;
    sys.Elevates = true;
    EXPECT_EQ(RunHandOver(sys, {"kvu1.tmp", "/update", ElevatedHandOverMark, Target}),
              SysAccessDenied);
    EXPECT_EQ(sys.Log, "copy|") << "no second elevation, no box, no start";
    TFakeHandOver notANumber;
    RunHandOver(notANumber, {"kvu1.tmp", "/update", "abc", Target});
    EXPECT_TRUE(notANumber.Log.empty());
}

}  // namespace
