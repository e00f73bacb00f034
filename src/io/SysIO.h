// Stores and readers: a store is a named, reference-counted source of bytes;
// readers are cursors over one store's bytes, created by the store.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "io/SynCrs.h"
#include "io/SynTyp.h"
#include "io/SysErr.h"
#include "io/SysFile.h"

inline constexpr std::uint32_t IOBufferSize = 8192;

enum TIOReaderMode : std::uint32_t { iorBuffer = 0, iorBufferMulrea = 1, iorRandom = 2 };

class TIOReader;
class TIOOverlappedReader;

class TIOStore : public TSynNus {
public:
    virtual void Describe(std::string& text) = 0;
    virtual void GetKindName(std::string& text) = 0;
    virtual void GetFileName(std::string& text) = 0;
    virtual void CreatePart(std::uint32_t offset, std::uint32_t length, TIOStore*& store,
                            TErrCode& ErrCode, std::string& ErrText) = 0;
    virtual void CreateReader(TIOReaderMode mode, TErrCode& ErrCode, std::string& ErrText,
                              TIOReader*& reader) = 0;
    virtual void GetSize(TErrCode& ErrCode, std::uint32_t& size, std::string& ErrText) = 0;
    virtual TIOOverlappedReader* CreateOverlappedReader() = 0;

    std::string Describe()
    {
        std::string text;
        Describe(text);
        return text;
    }
};

// Operations a reader kind does not offer raise an internal failure when
// called; the base class gives that default.
class TIOReader {
public:
    virtual ~TIOReader() = default;
    virtual void GetSize(TErrCode& ErrCode, std::uint32_t& size, std::string& ErrText);
    virtual std::uint32_t GetPosition();
    virtual void Seek(std::uint32_t position, TErrCode& ErrCode, std::string& ErrText);
    virtual void Read(std::uint32_t count, void* buffer, TErrCode& ErrCode, std::string& ErrText);
    virtual void ReadSome(std::uint32_t count, void* buffer, std::uint32_t& bytesRead,
                          TErrCode& ErrCode, std::string& ErrText);
    virtual void ReadByte(std::uint8_t& value, TErrCode& ErrCode, std::string& ErrText);
    virtual void NextChunk(std::uint32_t& length, const std::uint8_t*& data, std::string& ErrText,
                           TErrCode& ErrCode);
    virtual void Skip(std::uint32_t delta, TErrCode& ErrCode, std::string& ErrText);
};

// The declarations of TIOStoreFile, its chunk list and the three reader kinds
// follow here (see SysIO.cpp). TIOReaderFileRandom is the reader the TIFF
// reader uses:
//   TIOStoreFile* store = new TIOStoreFile(path, displayName);
//   store->CreateReader(iorRandom, ErrCode, ErrText, reader);
//   reader->GetSize / Seek / Read / GetPosition
//   delete reader; store->Release();
