// What a decoder makes of a tag's value: indented UTF-8 lines, or the reason
// the value could not be read (then the hex view stands alone).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

struct TDecodedLine {
    unsigned Depth = 0;
    std::string Text;
};

struct TDecodedView {
    std::vector<TDecodedLine> Lines;
    std::string Failure;  // empty when the value was decoded
};

// Thrown by the decoders on a value they cannot trust; the dispatcher turns
// it into TDecodedView::Failure.
class EDecodeFault : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Collects lines with a running depth; stops a hostile value from making
// output without end.
class TLineSink {
public:
    static constexpr std::size_t MaxLines = 20000;
    static constexpr std::size_t MaxBytes = 4u << 20;

    explicit TLineSink(TDecodedView& view) : View(view) {}
    void Add(const std::string& text);
    void Add(const std::string& name, const std::string& value) { Add(name + ": " + value); }
    void Enter() { ++Depth; }
    void Leave()
    {
        if (Depth > 0)
            --Depth;
    }

private:
    TDecodedView& View;
    unsigned Depth = 0;
    std::size_t Bytes = 0;
};

// The lines indented by two spaces a level, one a line.
std::string ViewText(const TDecodedView& view);

// Bytes as UTF-8: valid sequences kept, control characters and broken
// sequences shown as U+FFFD so a line stays one line.
std::string PrintableUtf8(const char* text, std::size_t size);
std::string Latin1ToUtf8(const char* text, std::size_t size);
// Unpaired surrogates become U+FFFD; an odd last byte is dropped.
std::string Utf16ToUtf8(std::span<const std::uint8_t> bytes, bool bigEndian);
