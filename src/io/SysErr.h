// The failure convention shared by every unit: an error pair handed back
// through out-parameters, and an internal-failure exception whose text names
// the unit and the position of the step that failed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <new>
#include <string>
#include <tuple>
#include <utility>

using TErrCode = std::uint32_t;

inline constexpr TErrCode ErrOk = 0;
inline constexpr TErrCode ErrAborted = 1;
inline constexpr TErrCode ErrFailed = 2;

// Raised where a step fails that valid state should have made safe. The text
// is the unit-and-position string ("SysIO 651:32"), optionally with a note.
class EKvInternal : public std::runtime_error {
public:
    explicit EKvInternal(const std::string& text) : std::runtime_error(text) {}
};

[[noreturn]] void RaiseInternal(const std::string& text);

// The text of an internal failure reported through the error pair instead.
std::string UnexpectedText(const std::string& position);

inline constexpr const char* OutOfMemoryText = "Out of memory";

// Heap blocks and objects that report "Out of memory" through the error pair
// instead of throwing.
void AllocBlock(std::size_t size, void*& block, TErrCode& errCode, std::string& errText);
void FreeBlock(void* block);

// The constructor's arguments come as one tuple (std::forward_as_tuple), so
// the error pair can stay last.
template <class T, class... Args>
void CreateObject(T*& object, std::tuple<Args...> args, TErrCode& errCode, std::string& errText)
{
    object = std::apply(
        [](auto&&... a) { return new (std::nothrow) T(std::forward<decltype(a)>(a)...); },
        std::move(args));
    if (!object) {
        errCode = ErrFailed;
        errText = OutOfMemoryText;
    }
}

void SysErrorText(std::uint32_t code, std::string& text);
std::string SysErrorText(std::uint32_t code);
