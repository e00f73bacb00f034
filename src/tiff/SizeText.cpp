#include "tiff/SizeText.h"

namespace {

// size * 25 / 2^shift (that is size * 100 / 2^(shift+2)) rounded to the
// nearest integer, ties to even, in integers so that no byte count loses
// precision or overflows.
std::uint64_t ScaledHundredths(std::uint64_t size, unsigned shift)
{
    const std::uint64_t mask = (std::uint64_t(1) << shift) - 1;
    const std::uint64_t low = (size & mask) * 25;
    std::uint64_t quotient = (size >> shift) * 25 + (low >> shift);
    const std::uint64_t remainder = low & mask;
    const std::uint64_t half = std::uint64_t(1) << (shift - 1);
    if (remainder > half || (remainder == half && (quotient & 1)))
        ++quotient;
    return quotient;
}

}  // namespace

void SizeToText(std::uint64_t size, std::string& text)
{
    if (size < 512) {
        text = std::to_string(size) + " b";
        return;
    }
    const char* unit;
    unsigned shift;
    if (size < 524288) {
        unit = "Kb";
        shift = 8;  // / 10.24 = * 25 / 2^8
    } else if (size < 536870912) {
        unit = "Mb";
        shift = 18;  // / 10485.76
    } else {
        unit = "Gb";
        shift = 28;  // / 10737418.24
    }
    std::string digits = std::to_string(ScaledHundredths(size, shift));
    if (digits.size() < 3)
        digits.insert(0, 3 - digits.size(), '0');
    text =
        digits.substr(0, digits.size() - 2) + "." + digits.substr(digits.size() - 2) + " " + unit;
}

std::string SizeToText(std::uint64_t size)
{
    std::string text;
    SizeToText(size, text);
    return text;
}
