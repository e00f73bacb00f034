// A streaming JSON writer: members and elements go straight to the stream,
// so a document of any size needs memory only for its nesting.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

class TKvJsonWriter {
public:
    explicit TKvJsonWriter(std::ostream& out) : Out(out) {}
    ~TKvJsonWriter() { Flush(); }
    TKvJsonWriter(const TKvJsonWriter&) = delete;
    TKvJsonWriter& operator=(const TKvJsonWriter&) = delete;

    // Hands what is buffered to the stream (done every 64 KiB and when the
    // document is complete).
    void Flush();

    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    void Key(const char* name);

    // Text from the file: valid UTF-8 is kept, any other byte above 127 is
    // taken as a code point of Latin-1, so the document is always UTF-8.
    void String(const char* text, std::size_t size);
    void String(const std::string& text) { String(text.data(), text.size()); }
    void Number(std::uint64_t value);
    void Number(std::int64_t value);
    // Shortest round-trip digits; NaN and infinities, which JSON cannot
    // hold as numbers, as the strings "NaN", "Infinity", "-Infinity".
    void Float(float value);
    void Double(double value);
    void Bool(bool value);
    void Null();

    // Key and value in one call.
    template <class T>
    void Member(const char* name, const T& value)
    {
        Key(name);
        Value(value);
    }
    void NullOrString(const char* name, const std::string& text)
    {
        Key(name);
        if (text.empty())
            Null();
        else
            String(text);
    }

private:
    void Value(const std::string& v) { String(v); }
    void Value(const char* v) { String(v, std::char_traits<char>::length(v)); }
    void Value(bool v) { Bool(v); }
    void Value(std::uint64_t v) { Number(v); }
    void Value(std::uint32_t v) { Number(std::uint64_t(v)); }
    void Value(std::int64_t v) { Number(v); }
    void Separate();
    void Open(char bracket);
    void Close(char bracket);
    void NonFinite(bool isNan, bool negative);
    template <class T>
    void Shortest(T value);

    void Put(char c) { Buffer += c; }
    void Put(const char* text, std::size_t size) { Buffer.append(text, size); }
    void FlushWhenFull()
    {
        if (Buffer.size() >= FlushSize)
            Flush();
    }

    static constexpr std::size_t FlushSize = 64 * 1024;
    std::ostream& Out;
    std::string Buffer;
    std::vector<bool> First;  // per open level: nothing written in it yet
    bool AfterKey = false;
};
