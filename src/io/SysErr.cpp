#include "io/SysErr.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>

#include "io/SysErrTable.h"

void RaiseInternal(const std::string& text)
{
    throw EKvInternal(text);
}

std::string UnexpectedText(const std::string& position)
{
    return "Unexpected error: " + position;
}

void AllocBlock(std::size_t size, void*& block, TErrCode& errCode, std::string& errText)
{
    // No block larger than the address space can be had; asking the
    // allocator for one anyway only trips sanitizers' size checks.
    block =
        size > static_cast<std::size_t>(PTRDIFF_MAX) ? nullptr : std::malloc(size == 0 ? 1 : size);
    if (!block) {
        errCode = ErrFailed;
        errText = OutOfMemoryText;
    }
}

void FreeBlock(void* block)
{
    std::free(block);
}

namespace {

// Codes whose text is given without the final period of the published
// message.
bool DropsFinalPeriod(std::uint32_t code)
{
    static const std::uint32_t Codes[] = {36,  38,  39,  50,  51,  83,  87,  88,  89,  100,
                                          101, 234, 240, 254, 255, 259, 266, 267, 275, 276};
    if (code <= 33)
        return true;
    return std::find(std::begin(Codes), std::end(Codes), code) != std::end(Codes);
}

}  // namespace

void SysErrorText(std::uint32_t code, std::string& text)
{
    auto rows = SysErrorRows();
    auto row = std::lower_bound(rows.begin(), rows.end(), code,
                                [](const TSysErrorRow& r, std::uint32_t c) { return r.Code < c; });
    if (row == rows.end() || row->Code != code) {
        text = std::to_string(code);
        return;
    }
    std::string message = row->Message;
    if (DropsFinalPeriod(code) && !message.empty() && message.back() == '.')
        message.pop_back();
    text = std::string(row->Name) + ": " + message;
}

std::string SysErrorText(std::uint32_t code)
{
    std::string text;
    SysErrorText(code, text);
    return text;
}
