// The hand-over's decisions on a fake system: what happens to a locked, a
// read-only and a protected target, and what the elevated run is asked.
#include <gtest/gtest.h>

#include "update/FUpdateHandOver.h"

namespace {

const std::string Target = "C:\\Program Files\\Kestrova\\Orvane\\Orvane.exe";

struct TFakeHandOver : IKvHandOverSystem {
    std::uint32_t CopyCode = 0;
    std::vector<std::uint32_t> ReplaceCodes;  // one per try; then 0
    bool ReadOnly = false, Elevates = false;
    std::uint32_t ElevatedCode = 0;

    std::uint32_t Clock = 0, Tries = 0;
    std::vector<std::string> Log;

    bool WaitForOldProgram(std::uint64_t handle) override
    {
        Log.push_back("wait " + std::to_string(handle));
        return true;
    }
    std::string OwnExecutable() override { return "C:\\Temp\\kvu1.tmp"; }
    std::uint32_t CopyNextTo(const std::string& source, const std::string& target,
                             std::string& staged) override
    {
        Log.push_back("copy " + source + " > " + target);
        staged = "staged";
        return CopyCode;
    }
    std::uint32_t ReplaceFile(const std::string&, const std::string&) override
    {
        return Tries < ReplaceCodes.size() ? ReplaceCodes[Tries++] : (++Tries, 0);
    }
    void RemoveFile(const std::string& path) override { Log.push_back("remove " + path); }
    bool IsReadOnly(const std::string&) override { return ReadOnly; }
    bool CanElevate() override { return Elevates; }
    std::uint32_t RunElevated(const std::string& arguments) override
    {
        Log.push_back("elevated " + arguments);
        return ElevatedCode;
    }
    std::uint32_t Milliseconds() override { return Clock; }
    void Pause(std::uint32_t milliseconds) override { Clock += milliseconds; }
    void ShowError(std::uint32_t code) override { Log.push_back("error " + std::to_string(code)); }
    void StartProgram(const std::string& path) override { Log.push_back("start " + path); }
};

std::vector<std::string> HandOver(TFakeHandOver& sys, const std::string& second = "1234")
{
    RunHandOver(sys, {"C:\\Temp\\kvu1.tmp", "/update", second, Target});
    return sys.Log;
}

TEST(HandOver, ALockedTargetIsRetriedForABoundedTime)
{
    TFakeHandOver briefly;
    briefly.ReplaceCodes = {SysSharingViolation, SysAccessDenied, SysLockViolation};
    EXPECT_EQ(HandOver(briefly),
              (std::vector<std::string>{"wait 1234", "copy C:\\Temp\\kvu1.tmp > " + Target,
                                        "start " + Target}));
    EXPECT_EQ(briefly.Tries, 4u);

    TFakeHandOver forever;
    forever.ReplaceCodes.assign(1000, SysSharingViolation);
    std::vector<std::string> log = HandOver(forever);
    EXPECT_EQ(forever.Clock, HandOverRetryMs);
    EXPECT_EQ(std::vector<std::string>(log.begin() + 2, log.end()),
              (std::vector<std::string>{"remove staged", "error 32", "start " + Target}));
}

TEST(HandOver, AReadOnlyTargetFailsAtOnceAndTheOldProgramStarts)
{
    TFakeHandOver sys;
    sys.ReadOnly = sys.Elevates = true;
    EXPECT_EQ(HandOver(sys), (std::vector<std::string>{"wait 1234", "error 5", "start " + Target}));
    EXPECT_EQ(sys.Tries, 0u);
}

// A standard user under Program Files: the step is asked of an elevated
// run, and the program is started by this one, with the user's own rights.
TEST(HandOver, AFolderWithoutRightsIsHandedToAnElevatedRun)
{
    const std::string elevated = "elevated /update elevated \"" + Target + "\"";
    for (std::uint32_t result : {0u, 1223u}) {
        TFakeHandOver sys;
        sys.CopyCode = SysAccessDenied;
        sys.Elevates = true;
        sys.ElevatedCode = result;
        std::vector<std::string> log = HandOver(sys);
        std::vector<std::string> expected = {elevated, "start " + Target};
        if (result != 0)
            expected.insert(expected.begin() + 1, "error 1223");
        EXPECT_EQ(std::vector<std::string>(log.begin() + 2, log.end()), expected);
    }
    TFakeHandOver plainUser;
    plainUser.CopyCode = SysAccessDenied;
    EXPECT_EQ(HandOver(plainUser).at(2), "error 5") << "no elevation to be had";
}

TEST(HandOver, TheElevatedRunOnlyPutsTheFileInPlace)
{
    TFakeHandOver sys;
    sys.ReplaceCodes = {SysSharingViolation};
    EXPECT_EQ(RunHandOver(sys, {"kvu1.tmp", "/update", ElevatedHandOverMark, Target}), 0u);
    EXPECT_EQ(sys.Log, std::vector<std::string>{"copy C:\\Temp\\kvu1.tmp > " + Target});
    TFakeHandOver denied;
    denied.CopyCode = SysAccessDenied;
    denied.Elevates = true;
    EXPECT_EQ(RunHandOver(denied, {"kvu1.tmp", "/update", ElevatedHandOverMark, Target}),
              SysAccessDenied);
    EXPECT_EQ(denied.Log.size(), 1u) << "no second elevation, no box, no start";

    TFakeHandOver notANumber;
    EXPECT_TRUE(HandOver(notANumber, "abc").empty());
}

}  // namespace
