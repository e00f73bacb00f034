#include "update/FUpdateHandOver.h"

#include <charconv>

namespace {

// The new executable beside the target, then in its place: the old file is
// replaced whole or not at all.
std::uint32_t PutInPlace(IKvHandOverSystem& sys, const std::string& target)
{
    // A read-only executable is one the user protected; not every system
    // refuses to replace it, so the hand-over refuses as Windows does.
    if (sys.IsReadOnly(target))
        return SysAccessDenied;
    std::string staged;
    std::uint32_t code = sys.CopyNextTo(sys.OwnExecutable(), target, staged);
    if (code != 0)
        return code;
    const std::uint32_t start = sys.Milliseconds();
    while ((code = sys.ReplaceFile(staged, target)) != 0 &&
           HandOverRetries(code, sys.Milliseconds() - start, sys.IsReadOnly(target)))
        sys.Pause(HandOverPauseMs);
    if (code != 0)
        sys.RemoveFile(staged);
    return code;
}

}  // namespace

std::uint64_t HandOverHandleValue(const std::string& text)
{
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    auto [next, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || next != end)
        return 0;
    return value;
}

bool HandOverRetries(std::uint32_t code, std::uint32_t elapsedMs, bool targetReadOnly)
{
    const bool locked = code == SysSharingViolation || code == SysLockViolation ||
                        (code == SysAccessDenied && !targetReadOnly);
    return locked && elapsedMs < HandOverRetryMs;
}

bool HandOverElevates(std::uint32_t code, bool targetReadOnly, bool canElevate)
{
    return code == SysAccessDenied && !targetReadOnly && canElevate;
}

std::string ElevatedHandOverArguments(const std::string& target)
{
    return std::string("/update ") + ElevatedHandOverMark + " \"" + target + "\"";
}

std::uint32_t RunHandOver(IKvHandOverSystem& sys, const std::vector<std::string>& arguments)
{
    if (arguments.size() < 4)
        return 0;
    const std::string& target = arguments[3];
    if (arguments[2] == ElevatedHandOverMark)
        return PutInPlace(sys, target);
    std::uint64_t handle = HandOverHandleValue(arguments[2]);
    if (handle == 0 || !sys.WaitForOldProgram(handle))
        return 0;
    std::uint32_t code = PutInPlace(sys, target);
    if (HandOverElevates(code, sys.IsReadOnly(target), sys.CanElevate()))
        code = sys.RunElevated(ElevatedHandOverArguments(target));
    // Whatever happened, the user keeps a working program: the new one, or
    // the old one still whole.
    if (code != 0)
        sys.ShowError(code);
    sys.StartProgram(target);
    return 0;
}
