#include "update/FUpdateHandOver.h"

#include <charconv>

std::uint64_t HandOverHandleValue(const std::string& text)
{
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    auto [next, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || next != end)
        return 0;
    return value;
}
