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

// Windows start on a boundary below the read so that a read just before
// the previous one, typical of a value stored ahead of its directory, still
// hits; an eighth of the fill, so a small fill keeps most of its bytes ahead.
constexpr std::uint32_t WindowAlignment = 4096;

// A miss this far past the window still counts as reading on through it.
constexpr std::uint64_t RunOnSlack = 4096;

void Fail(const char* text, TErrCode& errCode, std::string& errText)
{
    errCode = ErrFailed;
    errText = text;
}

}  // namespace

TIOReaderFileRandom::TIOReaderFileRandom(TSysFile* handle, std::uint64_t size)
    : Handle(handle), Size(static_cast<std::uint32_t>(std::min<std::uint64_t>(size, UINT32_MAX))),
      FullSize(size)
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
    LastFillSize = 0;
}

void TIOReaderFileRandom::GetSize(std::uint32_t& size, TErrCode&, std::string&)
{
    size = Size;
}

std::uint32_t TIOReaderFileRandom::GetPosition()
{
    return static_cast<std::uint32_t>(Position);
}

std::uint64_t TIOReaderFileRandom::GetFullSize()
{
    return FullSize;
}

void TIOReaderFileRandom::SeekFull(std::uint64_t position, TErrCode& errCode, std::string&)
{
    Position = position;
    errCode = ErrOk;
}

// Reads are positioned, so a seek is only the reader's own cursor and
// accepts every unsigned 32-bit position; a read beyond the end fails then.
void TIOReaderFileRandom::Seek(std::uint32_t position, TErrCode& errCode, std::string&)
{
    Position = position;
    errCode = ErrOk;
}

void TIOReaderFileRandom::Skip(std::uint32_t delta, TErrCode& errCode, std::string& errText)
{
    Seek(static_cast<std::uint32_t>(Position + delta), errCode, errText);
}

void TIOReaderFileRandom::Read(std::uint32_t count, void* buffer, TErrCode& errCode,
                               std::string& errText)
{
    if (count > 0) {
        std::uint32_t bytesRead = 0;
        std::uint32_t sysError = ReadAt(Position, count, buffer, bytesRead);
        if (sysError != 0 && bytesRead == 0) {
            errCode = ErrFailed;
            errText = UnexpectedText("SysIO 317.76");
            return;
        }
        if (bytesRead < count) {
            errCode = ErrFailed;
            errText = sysError == 0 ? PrematureEndText : UnexpectedText("SysIO 329.78");
            return;
        }
    }
    Position += count;
    errCode = ErrOk;
}

void TIOReaderFileRandom::ReadSome(std::uint32_t count, void* buffer, std::uint32_t& bytesRead,
                                   TErrCode& errCode, std::string& errText)
{
    std::uint32_t n = 0;
    if (count > 0 && ReadAt(Position, count, buffer, n) != 0) {
        Fail(BareUnexpectedText, errCode, errText);
        return;
    }
    bytesRead = n;
    Position += n;
}

void TIOReaderFileRandom::ReadByte(std::uint8_t& value, TErrCode& errCode, std::string& errText)
{
    std::uint32_t bytesRead = 0;
    std::uint32_t sysError = ReadAt(Position, 1, &value, bytesRead);
    if (bytesRead == 0) {
        Fail(sysError != 0 ? BareUnexpectedText : PrematureEndText, errCode, errText);
        return;
    }
    Position += 1;
    errCode = ErrOk;
}

std::uint32_t TIOReaderFileRandom::ReadAt(std::uint64_t offset, std::uint32_t count, void* buffer,
                                          std::uint32_t& bytesRead)
{
    if (ReadAhead && count <= WindowedReadLimit) {
        if (ReadFromWindow(offset, count, buffer, bytesRead))
            return 0;
        if (FillWindow(offset, count) && ReadFromWindow(offset, count, buffer, bytesRead))
            return 0;
    }
    return Handle->ReadAt(offset, buffer, count, bytesRead);
}

// Bytes outside the file are left to Read and its failure texts without a
// fill: the window keeps what it holds.
const std::uint8_t* TIOReaderFileRandom::PeekFilling(std::uint64_t offset, std::uint32_t count)
{
    if (!ReadAhead || count > WindowedReadLimit || offset > FullSize || count > FullSize - offset)
        return nullptr;
    if (!FillWindow(offset, count) || !WindowHolds(offset, count))
        return nullptr;
    ServedEnd = std::max(ServedEnd, offset + count);
    return Window.get() + (offset - WindowStart);
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
    ServedEnd = std::max(ServedEnd, offset + bytesRead);
    return true;
}

// A fresh reader fetches a whole window, so a small file comes in one read
// (unless told to start small).
// Later fills double while the reads run on through the window (they used at
// least half of it and miss just past its end) and start small again after a
// jump, so a lone directory far away costs little more than its own bytes.
std::uint32_t TIOReaderFileRandom::NextFillSize(std::uint64_t offset) const
{
    if (LastFillSize == 0)
        return FirstFillSize;
    const std::uint64_t windowEnd = WindowStart + WindowLength;
    const bool runsOn = WindowLength > 0 && offset >= WindowStart &&
                        offset <= windowEnd + RunOnSlack &&
                        ServedEnd - WindowStart >= WindowLength / 2;
    return runsOn ? std::min(2 * LastFillSize, WindowSize) : SmallFillSize;
}

// count is at most WindowedReadLimit, so the fill always covers the read.
static_assert(TIOReaderFileRandom::WindowedReadLimit + WindowAlignment <=
              TIOReaderFileRandom::WindowSize);
bool TIOReaderFileRandom::FillWindow(std::uint64_t offset, std::uint32_t count)
{
    if (!Window) {
        Window.reset(new (std::nothrow) std::uint8_t[WindowSize]);
        if (!Window)
            return false;
    }
    const std::uint32_t size = NextFillSize(offset);
    WindowLength = 0;
    WindowReachesEnd = false;
    const std::uint64_t start = offset - offset % std::min(WindowAlignment, size / 8);
    const std::uint32_t length =
        std::max<std::uint32_t>(size, static_cast<std::uint32_t>(offset - start) + count);
    std::uint32_t bytesRead = 0;
    if (Handle->ReadAt(start, Window.get(), length, bytesRead) != 0)
        return false;
    LastFillSize = size;
    WindowStart = start;
    WindowLength = bytesRead;
    WindowReachesEnd = bytesRead < length;
    ServedEnd = start;
    return true;
}
