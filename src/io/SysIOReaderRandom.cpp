// The random-access reader. Its window only ever holds bytes read from the
// file while this reader's handle was open, and the handle lets nobody write
// the file, so the window cannot go stale.
#include <algorithm>
#include <cstring>
#include <new>

#include "io/SysFile.h"
#include "io/SysIO.h"

namespace {

const char* const PrematureEndText = "Premature end of data";
const char* const BareUnexpectedText = "Unexpected error";

// Windows start on this boundary so that a read just before the previous
// one, typical of a value stored ahead of its directory, still hits.
constexpr std::uint64_t WindowAlignment = 4096;

void Fail(TErrCode& ErrCode, std::string& ErrText, const char* text)
{
    ErrCode = ErrFailed;
    ErrText = text;
}

}  // namespace

TIOReaderFileRandom::TIOReaderFileRandom(TSysFile* handle, std::uint32_t size)
    : Handle(handle), Size(size)
{
}

TIOReaderFileRandom::~TIOReaderFileRandom()
{
    delete Handle;
}

void TIOReaderFileRandom::SetReadAhead(bool enabled)
{
    ReadAhead = enabled;
    WindowLength = 0;
    WindowReachesEnd = false;
}

void TIOReaderFileRandom::GetSize(TErrCode&, std::uint32_t& size, std::string&)
{
    size = Size;
}

std::uint32_t TIOReaderFileRandom::GetPosition()
{
    return Position;
}

// Reads are positioned, so a seek is only the reader's own cursor and
// accepts every unsigned 32-bit position; a read beyond the end fails then.
void TIOReaderFileRandom::Seek(std::uint32_t position, TErrCode& ErrCode, std::string&)
{
    Position = position;
    ErrCode = ErrOk;
}

void TIOReaderFileRandom::Skip(std::uint32_t delta, TErrCode& ErrCode, std::string& ErrText)
{
    Seek(Position + delta, ErrCode, ErrText);
}

void TIOReaderFileRandom::Read(std::uint32_t count, void* buffer, TErrCode& ErrCode,
                               std::string& ErrText)
{
    if (count > 0) {
        std::uint32_t bytesRead = 0;
        std::uint32_t sysError = ReadAt(Position, count, buffer, bytesRead);
        if (sysError != 0 && bytesRead == 0) {
            ErrCode = ErrFailed;
            ErrText = UnexpectedText("SysIO 317.76");
            return;
        }
        if (bytesRead < count) {
            ErrCode = ErrFailed;
            ErrText = sysError == 0 ? PrematureEndText : UnexpectedText("SysIO 329.78");
            return;
        }
    }
    Position += count;
    ErrCode = ErrOk;
}

void TIOReaderFileRandom::ReadSome(std::uint32_t count, void* buffer, std::uint32_t& bytesRead,
                                   TErrCode& ErrCode, std::string& ErrText)
{
    std::uint32_t n = 0;
    if (count > 0 && ReadAt(Position, count, buffer, n) != 0) {
        Fail(ErrCode, ErrText, BareUnexpectedText);
        return;
    }
    bytesRead = n;
    Position += n;
}

void TIOReaderFileRandom::ReadByte(std::uint8_t& value, TErrCode& ErrCode, std::string& ErrText)
{
    std::uint32_t bytesRead = 0;
    std::uint32_t sysError = ReadAt(Position, 1, &value, bytesRead);
    if (bytesRead == 0) {
        Fail(ErrCode, ErrText, sysError != 0 ? BareUnexpectedText : PrematureEndText);
        return;
    }
    Position += 1;
    ErrCode = ErrOk;
}

std::uint32_t TIOReaderFileRandom::ReadAt(std::uint64_t offset, std::uint32_t count, void* buffer,
                                          std::uint32_t& bytesRead)
{
    if (ReadAhead && count <= WindowedReadLimit) {
        if (ReadFromWindow(offset, count, buffer, bytesRead))
            return 0;
        if (FillWindow(offset) && ReadFromWindow(offset, count, buffer, bytesRead))
            return 0;
    }
    return Handle->ReadAt(offset, buffer, count, bytesRead);
}

// Serves the read when the window answers it exactly as the file would: the
// bytes lie inside it, or the window ends at the end of the file and the
// read starts inside it or beyond (a short read, no error).
bool TIOReaderFileRandom::ReadFromWindow(std::uint64_t offset, std::uint32_t count, void* buffer,
                                         std::uint32_t& bytesRead)
{
    if (WindowLength == 0 && !WindowReachesEnd)
        return false;
    std::uint64_t windowEnd = WindowStart + WindowLength;
    if (offset < WindowStart)
        return false;
    if (offset + count > windowEnd && !WindowReachesEnd)
        return false;
    std::uint64_t available = offset < windowEnd ? windowEnd - offset : 0;
    bytesRead = static_cast<std::uint32_t>(std::min<std::uint64_t>(count, available));
    if (bytesRead > 0)
        std::memcpy(buffer, Window.get() + (offset - WindowStart), bytesRead);
    return true;
}

bool TIOReaderFileRandom::FillWindow(std::uint64_t offset)
{
    if (!Window) {
        Window.reset(new (std::nothrow) std::uint8_t[WindowSize]);
        if (!Window)
            return false;
    }
    WindowLength = 0;
    WindowReachesEnd = false;
    std::uint64_t start = offset - offset % WindowAlignment;
    std::uint32_t bytesRead = 0;
    if (Handle->ReadAt(start, Window.get(), WindowSize, bytesRead) != 0)
        return false;
    WindowStart = start;
    WindowLength = bytesRead;
    WindowReachesEnd = bytesRead < WindowSize;
    return true;
}
