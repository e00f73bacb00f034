#include "io/SysIO.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>

#include "io/SysFile.h"

namespace {

const char* const PrematureEndText = "Premature end of data";
const char* const BareUnexpectedText = "Unexpected error";
const char* const PartialNote = "; rekening houden met partial";

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

// ---------------------------------------------------------------- TIOStoreFile

TIOStoreFile::TIOStoreFile(const std::string& path, const std::string& displayName)
    : FileName(path), DisplayName(displayName)
{
}

TIOStoreFile::~TIOStoreFile()
{
    CloseShareHandle();
    for (TIOChunk* chunk = FirstChunk; chunk;) {
        TIOChunk* next = chunk->Next;
        delete chunk;
        chunk = next;
    }
}

void TIOStoreFile::Describe(std::string& text)
{
    text = "file '" + DisplayName + "'";
    if (Partial)
        text += ", offset=" + std::to_string(PartOffset) + " and length=" + std::to_string(Size);
}

void TIOStoreFile::GetKindName(std::string&)
{
    RaiseInternal(std::string("SysIO 1103:32") + PartialNote);
}

void TIOStoreFile::GetFileName(std::string& text)
{
    text = FileName;
}

void TIOStoreFile::CreatePart(std::uint32_t offset, std::uint32_t length, TIOStore*& store,
                              TErrCode&, std::string&)
{
    TIOStoreFile* part = new (std::nothrow) TIOStoreFile(FileName, DisplayName);
    if (!part)
        RaiseInternal("SysIO 728:53");
    part->Partial = true;
    part->PartOffset = PartOffset + offset;
    part->SizeKnown = true;
    part->Size = length;
    store = part;
}

void TIOStoreFile::CreateReader(TIOReaderMode mode, TIOReader*& reader, TErrCode& errCode,
                                std::string& errText)
{
    switch (mode) {
    case iorBufferMulrea: CreateSharedReader(reader, errCode, errText); return;
    case iorBuffer:
    case iorRandom: CreateOwnReader(mode, reader, errCode, errText); return;
    }
    RaiseInternal("SysIO 2701:12; unknown reader mode");
}

void TIOStoreFile::GetSize(std::uint32_t& size, TErrCode&, std::string&)
{
    if (Partial)
        RaiseInternal(std::string("SysIO 3171:32") + PartialNote);
    std::lock_guard guard(ShareLock);
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
    std::lock_guard guard(ShareLock);
    size = FullSize;
}

TIOOverlappedReader* TIOStoreFile::CreateOverlappedReader()
{
    RaiseInternal("SysIO 651:32");
}

TIOShareState TIOStoreFile::GetShareState()
{
    std::lock_guard guard(ShareLock);
    return ShareState;
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

void TIOStoreFile::CreateSharedReader(TIOReader*& reader, TErrCode& errCode, std::string& errText)
{
    {
        std::lock_guard guard(ShareLock);
        if (ShareState == issNotStarted) {
            std::uint32_t sysError = 0;
            std::unique_ptr<TSysFile> file(
                TSysFile::Open(FileName, TSysFileHint::Sequential, sysError));
            if (!file || (!SizeKnown && !TakeSizeLocked(*file))) {
                Fail(file ? UnexpectedText("SysIO 375.80") : SysErrorText(sysError), errCode,
                     errText);
                return;
            }
            ShareHandle = file.release();
            ShareState = issReading;
            Remaining = Size;
            if (Size == 0) {
                CloseShareHandle();
                ShareState = issDone;
            }
        }
    }
    TIOReaderFileBufferMulrea* shared = nullptr;
    CreateObject(shared, std::forward_as_tuple(this), errCode, errText);
    if (shared)
        reader = shared;
}

void TIOStoreFile::CreateOwnReader(TIOReaderMode mode, TIOReader*& reader, TErrCode& errCode,
                                   std::string& errText)
{
    TSysFileHint hint = mode == iorBuffer ? TSysFileHint::Sequential : TSysFileHint::Random;
    std::uint32_t sysError = 0;
    std::unique_ptr<TSysFile> file(TSysFile::Open(FileName, hint, sysError));
    if (!file) {
        // Every reason a file cannot be opened is the user's to act on, so
        // each is told in the system's words.
        Fail(SysErrorText(sysError), errCode, errText);
        return;
    }
    std::uint32_t size = 0;
    std::uint64_t fullSize = 0;
    {
        std::lock_guard guard(ShareLock);
        if (!SizeKnown && !TakeSizeLocked(*file)) {
            Fail(UnexpectedText("SysIO 415.80"), errCode, errText);
            return;
        }
        size = Size;
        fullSize = FullSize;
    }
    try {
        if (mode == iorBuffer)
            reader = new TIOReaderFileBuffer(file.get(), size);
        else
            reader = new TIOReaderFileRandom(file.get(), fullSize);
        file.release();
    } catch (const std::bad_alloc&) {
        Fail(OutOfMemoryText, errCode, errText);
    }
}

void TIOStoreFile::CloseShareHandle()
{
    delete ShareHandle;
    ShareHandle = nullptr;
}

void TIOStoreFile::GetNextChunk(TIOChunk*& cursor, TErrCode& errCode, std::string& errText)
{
    if (Partial)
        RaiseInternal(std::string("SysIO 2480:52") + PartialNote);
    std::lock_guard guard(ShareLock);
    if (ShareState == issFailed) {
        Fail(ShareErrText, errCode, errText);
        return;
    }
    bool atEndOfList = cursor ? cursor->Next == nullptr : FirstChunk == nullptr;
    if (ShareState == issReading && atEndOfList && !ReadSharedChunk(errCode, errText))
        return;
    cursor = cursor ? cursor->Next : FirstChunk;
}

// Called under ShareLock with the file open and bytes remaining.
bool TIOStoreFile::ReadSharedChunk(TErrCode& errCode, std::string& errText)
{
    std::unique_ptr<TIOChunk> chunk(new (std::nothrow) TIOChunk);
    if (!chunk) {
        Fail(OutOfMemoryText, errCode, errText);
        return false;
    }
    chunk->Length = std::min(IOBufferSize, Remaining);
    std::uint32_t bytesRead = 0;
    std::uint32_t sysError =
        ShareHandle->ReadAt(Size - Remaining, chunk->Data, chunk->Length, bytesRead);
    if (sysError != 0) {
        CloseShareHandle();
        ShareState = issFailed;
        ShareErrText = BareUnexpectedText;
        Fail(ShareErrText, errCode, errText);
        return false;
    }
    if (bytesRead < chunk->Length)
        RaiseInternal("SysIO 2409:54");

    chunk->Prev = LastChunk;
    (LastChunk ? LastChunk->Next : FirstChunk) = chunk.get();
    LastChunk = chunk.release();
    Remaining -= LastChunk->Length;
    if (Remaining == 0) {
        CloseShareHandle();
        ShareState = issDone;
    }
    return true;
}

// ------------------------------------------------------------------- TIOReader

namespace {
[[noreturn]] void NotOffered()
{
    RaiseInternal("SysIO 96:5; not offered by this reader");
}
}  // namespace

void TIOReader::GetSize(std::uint32_t&, TErrCode&, std::string&)
{
    NotOffered();
}
std::uint32_t TIOReader::GetPosition()
{
    NotOffered();
}
void TIOReader::Seek(std::uint32_t, TErrCode&, std::string&)
{
    NotOffered();
}
void TIOReader::Read(std::uint32_t, void*, TErrCode&, std::string&)
{
    NotOffered();
}
void TIOReader::ReadSome(std::uint32_t, void*, std::uint32_t&, TErrCode&, std::string&)
{
    NotOffered();
}
void TIOReader::ReadByte(std::uint8_t&, TErrCode&, std::string&)
{
    NotOffered();
}
void TIOReader::NextChunk(std::uint32_t&, const std::uint8_t*&, TErrCode&, std::string&)
{
    NotOffered();
}
void TIOReader::Skip(std::uint32_t, TErrCode&, std::string&)
{
    NotOffered();
}
void TIOReader::SeekFull(std::uint64_t, TErrCode&, std::string&)
{
    NotOffered();
}
std::uint64_t TIOReader::GetFullSize()
{
    NotOffered();
}

// --------------------------------------------------------- TIOReaderFileBuffer

TIOReaderFileBuffer::TIOReaderFileBuffer(TSysFile* handle, std::uint32_t size)
    : Handle(handle), Size(size), Buffer(new std::uint8_t[IOBufferSize])
{
}

TIOReaderFileBuffer::~TIOReaderFileBuffer()
{
    delete Handle;
}

void TIOReaderFileBuffer::GetSize(std::uint32_t& size, TErrCode&, std::string&)
{
    size = Size;
}

std::uint32_t TIOReaderFileBuffer::GetPosition()
{
    return Position;
}

void TIOReaderFileBuffer::NextChunk(std::uint32_t& length, const std::uint8_t*& data,
                                    TErrCode& errCode, std::string& errText)
{
    std::uint32_t n = std::min(IOBufferSize, Size - Position);
    if (n == 0) {
        Fail(PrematureEndText, errCode, errText);
        return;
    }
    std::uint32_t bytesRead = 0;
    if (Handle->ReadAt(Position, Buffer.get(), n, bytesRead) != 0) {
        Fail(BareUnexpectedText, errCode, errText);
        return;
    }
    if (bytesRead < n) {
        Fail(PrematureEndText, errCode, errText);
        return;
    }
    Position += n;
    length = n;
    data = Buffer.get();
}

// --------------------------------------------------- TIOReaderFileBufferMulrea

TIOReaderFileBufferMulrea::TIOReaderFileBufferMulrea(TIOStoreFile* store) : Store(store)
{
    Store->AddRef();
}

TIOReaderFileBufferMulrea::~TIOReaderFileBufferMulrea()
{
    Store->Release();
}

void TIOReaderFileBufferMulrea::GetSize(std::uint32_t& size, TErrCode& errCode,
                                        std::string& errText)
{
    Store->GetSize(size, errCode, errText);
}

void TIOReaderFileBufferMulrea::NextChunk(std::uint32_t& length, const std::uint8_t*& data,
                                          TErrCode& errCode, std::string& errText)
{
    // A null cursor means "before the first chunk" to the store, so a reader
    // that has run off the end must not hand it back, or it would start over.
    if (AtEnd) {
        Fail(PrematureEndText, errCode, errText);
        return;
    }
    TErrCode code = ErrOk;
    Store->GetNextChunk(Chunk, code, errText);
    if (code != ErrOk) {
        errCode = code;
        return;
    }
    if (!Chunk) {
        AtEnd = true;
        Fail(PrematureEndText, errCode, errText);
        return;
    }
    Position += Chunk->Length;
    length = Chunk->Length;
    data = Chunk->Data;
}
