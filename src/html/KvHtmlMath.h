// Integer helpers of the HTML engine: rounding as the layout rules want it and
// additions that stop at the limits instead of wrapping on hostile input.
// Every rounded quantity of the engine is a ratio of integers; it is rounded
// on the exact ratio, since a floating-point product lands on the wrong side
// of a tie (15 / 22 * 11 gives 7.4999...).
#pragma once

#include <cstdint>
#include <limits>

inline std::int32_t KvClamp32(std::int64_t value)
{
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

// numerator / denominator (denominator > 0) to the nearest integer, ties to
// even (3 / 2 -> 2, 5 / 2 -> 2), saturated to 32 bits.
inline std::int32_t KvRoundRatio(std::int64_t numerator, std::int64_t denominator)
{
    std::int64_t quotient = numerator / denominator;
    std::int64_t remainder = numerator % denominator;
    if (remainder < 0) {
        remainder += denominator;
        --quotient;
    }
    std::int64_t twice = 2 * remainder;
    if (twice > denominator || (twice == denominator && quotient % 2 != 0))
        ++quotient;
    return KvClamp32(quotient);
}

// a * b / denominator rounded as KvRoundRatio. Only sizes far beyond any page
// make the product overflow; those are rounded in floating point.
inline std::int32_t KvRoundScaled(std::int64_t a, std::int64_t b, std::int64_t denominator)
{
    std::int64_t product = 0;
    if (!__builtin_mul_overflow(a, b, &product))
        return KvRoundRatio(product, denominator);
    long double exact = static_cast<long double>(a) * static_cast<long double>(b) /
                        static_cast<long double>(denominator);
    if (exact >= static_cast<long double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (exact <= static_cast<long double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(exact < 0 ? exact - 0.5L : exact + 0.5L);
}

inline std::int32_t KvAdd(std::int32_t a, std::int32_t b)
{
    return KvClamp32(static_cast<std::int64_t>(a) + b);
}

inline std::int32_t KvSub(std::int32_t a, std::int32_t b)
{
    return KvClamp32(static_cast<std::int64_t>(a) - b);
}
