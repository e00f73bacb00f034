// Integer helpers of the HTML engine: rounding as the layout rules want it and
// additions that stop at the limits instead of wrapping on hostile input.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// Nearest integer, ties to even (1.5 -> 2, 2.5 -> 2), saturated to 32 bits.
inline std::int32_t KvRoundEven(double value)
{
    if (std::isnan(value))
        return 0;
    double lower = std::floor(value);
    double diff = value - lower;
    double result = lower;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(lower, 2.0) != 0.0))
        result = lower + 1.0;
    if (result >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (result <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(result);
}

inline std::int32_t KvClamp32(std::int64_t value)
{
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

inline std::int32_t KvAdd(std::int32_t a, std::int32_t b)
{
    return KvClamp32(static_cast<std::int64_t>(a) + b);
}

inline std::int32_t KvSub(std::int32_t a, std::int32_t b)
{
    return KvClamp32(static_cast<std::int64_t>(a) - b);
}
