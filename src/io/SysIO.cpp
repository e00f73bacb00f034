#include "io/SysIO.h"

#include <algorithm>
#include <mutex>
#include <new>

#include "io/SysFile.h"

namespace {

void Fail(const std::string& text, TErrCode& errCode, std::string& errText)
{
    errCode = ErrFailed;
    errText = text;
}

// Sizes are unsigned 32-bit; a larger file is seen as its first 4 GiB - 1
// rather than as the remainder of its length.
std::uint32_t ClampedSize(std::uint64_t size)
{
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(size, UINT32_MAX));
}

}  // namespace

TIOStoreFile::TIOStoreFile(const std::string& path, const std::string& displayName)
    : FileName(path), DisplayName(displayName)
{
}

void TIOStoreFile::Describe(std::string& text)
{
    text = "file '" + DisplayName + "'";
}

void TIOStoreFile::CreateReader(TIOReaderMode mode, TIOReader*& reader, TErrCode& errCode,
                                std::string& errText)
{
    if (mode != iorRandom)
        RaiseInternal("SysIO 2701:12; unknown reader mode");
    std::uint32_t sysError = 0;
    std::unique_ptr<TSysFile> file(TSysFile::Open(FileName, TSysFileHint::Random, sysError));
    if (!file) {
        Fail(sysError == SysErrorFileNotFound ? SysErrorText(SysErrorFileNotFound)
                                              : UnexpectedText("SysIO 415.80"),
             errCode, errText);
        return;
    }
    std::uint64_t fullSize = 0;
    {
        std::lock_guard guard(SizeLock);
        if (!SizeKnown && !TakeSizeLocked(*file)) {
            Fail(UnexpectedText("SysIO 415.80"), errCode, errText);
            return;
        }
        fullSize = FullSize;
    }
    try {
        reader = new TIOReaderFileRandom(file.get(), fullSize);
        file.release();
    } catch (const std::bad_alloc&) {
        Fail(OutOfMemoryText, errCode, errText);
    }
}

void TIOStoreFile::GetSize(std::uint32_t& size, TErrCode&, std::string&)
{
    std::lock_guard guard(SizeLock);
    if (!SizeKnown) {
        std::uint32_t sysError = 0;
        std::unique_ptr<TSysFile> file(TSysFile::Open(FileName, TSysFileHint::None, sysError));
        if (!file || !TakeSizeLocked(*file))
            RaiseInternal("SysIO 2833:65");
    }
    size = Size;
}

void TIOStoreFile::GetFullSize(std::uint64_t& size, TErrCode& errCode, std::string& errText)
{
    std::uint32_t clamped = 0;
    GetSize(clamped, errCode, errText);
    std::lock_guard guard(SizeLock);
    size = FullSize;
}

bool TIOStoreFile::TakeSizeLocked(TSysFile& file)
{
    std::uint64_t size = 0;
    if (file.GetSize(size) != 0)
        return false;
    Size = ClampedSize(size);
    FullSize = size;
    SizeKnown = true;
    return true;
}
