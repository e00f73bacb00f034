#include "io/SysErr.h"

#include <cstdlib>

void RaiseInternal(const std::string& text)
{
    throw EKvInternal(text);
}

std::string UnexpectedText(const std::string& position)
{
    return "Unexpected error: " + position;
}

void AllocBlock(std::size_t size, TErrCode& ErrCode, void*& block, std::string& ErrText)
{
    block = std::malloc(size == 0 ? 1 : size);
    if (!block) {
        ErrCode = ErrFailed;
        ErrText = OutOfMemoryText;
    }
}

void FreeBlock(void* block)
{
    std::free(block);
}
