// The receiving end of an auto-update, run by the downloaded copy as
// "/update handle path": it waits for the old program to end, puts itself in
// place of the old executable and starts it. The old executable stays whole
// until the new one is completely beside it; a target still locked by the
// ending program is retried for a while; a folder the user may not write to
// is handed to an elevated run of the same copy ("/update elevated path"),
// which does only that step and ends with its result.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline constexpr const char* ElevatedHandOverMark = "elevated";
inline constexpr std::uint32_t HandOverRetryMs = 10000;
inline constexpr std::uint32_t HandOverPauseMs = 250;

// The system's error codes the decisions look at.
inline constexpr std::uint32_t SysAccessDenied = 5;
inline constexpr std::uint32_t SysSharingViolation = 32;
inline constexpr std::uint32_t SysLockViolation = 33;

// What the hand-over asks of the system; error codes are the system's, 0
// for success.
class IKvHandOverSystem {
public:
    virtual ~IKvHandOverSystem() = default;
    virtual bool WaitForOldProgram(std::uint64_t handle) = 0;
    virtual std::string OwnExecutable() = 0;
    // A new file in target's folder holding a copy of source.
    virtual std::uint32_t CopyNextTo(const std::string& source, const std::string& target,
                                     std::string& staged) = 0;
    virtual std::uint32_t ReplaceFile(const std::string& staged, const std::string& target) = 0;
    virtual void RemoveFile(const std::string& path) = 0;
    virtual bool IsReadOnly(const std::string& path) = 0;
    // True when an elevated run may get rights this process lacks.
    virtual bool CanElevate() = 0;
    // Runs this executable elevated with arguments and waits for it: its
    // exit code, or the system's code when it did not start (refused too).
    virtual std::uint32_t RunElevated(const std::string& arguments) = 0;
    virtual std::uint32_t Milliseconds() = 0;
    virtual void Pause(std::uint32_t milliseconds) = 0;
    virtual void ShowError(std::uint32_t code) = 0;
    virtual void StartProgram(const std::string& path) = 0;
};

// Argument 2 as a handle value; anything but a plain decimal number is 0.
std::uint64_t HandOverHandleValue(const std::string& text);

// Whether a failed replace is worth another try after a pause: the ending
// program may still hold its file (a running image refuses with "access
// denied", which a read-only file gives for good).
bool HandOverRetries(std::uint32_t code, std::uint32_t elapsedMs, bool targetReadOnly);
// Whether a failed step may succeed with more rights.
bool HandOverElevates(std::uint32_t code, bool targetReadOnly, bool canElevate);

std::string ElevatedHandOverArguments(const std::string& target);

// arguments[0] is this executable, [1] "/update", [2] the handle or the
// elevated mark, [3] the old executable's path. The exit code the process
// ends with, which only the elevated run reports.
std::uint32_t RunHandOver(IKvHandOverSystem& sys, const std::vector<std::string>& arguments);

// The same on the platform's system.
void RunUpdateHandOver(const std::vector<std::string>& arguments);
