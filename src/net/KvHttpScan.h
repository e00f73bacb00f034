// Pure text scanning of an HTTP response: header lines, field values, the
// status line and chunk-size lines. Every function reads only the bytes it
// is given.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Finds the empty line that ends a header (or a trailer section) in bytes that
// arrive piece by piece. A line ends at a CR with at least one more byte after
// it; that byte (the LF) is skipped unchecked.
class TKvLineScanner {
public:
    void Restart() { FLineStart = FSearch = FEnd = 0; }
    // data[0 .. received) are the bytes so far (earlier ones unchanged). True
    // when the empty line has arrived; End() is then the offset past it.
    bool Scan(const char* data, std::uint32_t received);
    std::uint32_t LineStart() const { return FLineStart; }
    std::uint32_t End() const { return FEnd; }

private:
    std::uint32_t FLineStart = 0;
    std::uint32_t FSearch = 0;
    std::uint32_t FEnd = 0;
};

// The value of the field lowerName in header (status line, field lines and
// the empty line), lower-cased; empty when the field is absent.
std::string HeaderFieldValue(std::string_view header, std::string_view lowerName);

enum class TKvStatusLine { Valid, None, Rejected };
// "HTTP/x.y ddd" followed by a blank or CR; x and y may be any byte.
TKvStatusLine ParseStatusLine(std::string_view header, std::int32_t& code);

// A decimal count that fits a signed 32-bit integer, digits only.
bool ParseContentLength(std::string_view text, std::int32_t& length);

enum class TKvChunkLine { Valid, BadDigit, TrailingText, TooLarge };
// line holds the chunk-size line up to and including its CR.
TKvChunkLine ParseChunkSize(std::string_view line, std::int32_t& size);
