// The input buffer of the HTML parser and the cursor that walks it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A reference-counted text buffer: starts with one reference and frees itself
// when the last one is released.
class TKvTelnetData {
public:
    enum : std::uint8_t { FormEmpty = 0, FormString = 1 };

    static TKvTelnetData* CreateFromString(const std::string& text);

    void AddRef() { ++FRefCount; }
    void Release();

    std::uint8_t Form() const { return FForm; }
    const std::string& Text() const { return FText; }

private:
    TKvTelnetData() = default;
    ~TKvTelnetData() = default;

    std::int32_t FRefCount = 1;
    std::uint8_t FForm = FormEmpty;
    std::string FText;
};

class TKvTelnetDataCursor {
public:
    // Holds its own reference on the buffer.
    explicit TKvTelnetDataCursor(TKvTelnetData& data);
    ~TKvTelnetDataCursor();
    TKvTelnetDataCursor(const TKvTelnetDataCursor&) = delete;
    TKvTelnetDataCursor& operator=(const TKvTelnetDataCursor&) = delete;

    bool AtEnd() const { return FPos >= FEnd; }
    char Current() const { return AtEnd() ? '\0' : *FPos; }
    void Advance()
    {
        if (!AtEnd())
            ++FPos;
    }
    const char* Save() const { return FPos; }
    void Restore(const char* saved) { FPos = saved; }
    std::string TextSince(const char* saved) const { return std::string(saved, FPos); }

private:
    TKvTelnetData* FData;
    std::uint8_t FForm;
    const char* FStart;
    const char* FEnd;
    const char* FPos;
};
