// Reads one string of a Windows executable's version resource straight from
// its bytes, so a download can be checked before anything starts it. Every
// offset and length in the file is checked against the bytes there are.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Random access to the bytes of a file of a known size.
class TKvByteSource {
public:
    virtual ~TKvByteSource() = default;
    virtual std::uint32_t Size() const = 0;
    // Fills out with count bytes from offset; false when they cannot be read.
    virtual bool Read(std::uint32_t offset, std::uint32_t count, char* out) = 0;
};

// The value of key (say "ProductName") in the first version resource's
// string tables; false when the bytes are no executable ("MZ" and "PE"
// headers), carry no version resource or no such string.
bool ReadVersionString(TKvByteSource& bytes, std::string_view key, std::string& value);
