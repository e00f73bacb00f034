// How the text of a page's tags is shaped: the limit of each value text,
// child directories under their pointers, every value in full.
#pragma once

#include <cstdint>
#include <optional>

#include "tiff/ValueLimits.h"

struct TTextOptions {
    std::uint32_t Limit = DumpValueLimit;
    bool LimitGiven = false;
    bool Tree = false;
    bool ValuesAll = false;

    // The value text limit of the full texts: none when every value is
    // shown in full and no limit was given.
    std::optional<std::uint32_t> FullLimit() const
    {
        if (ValuesAll && !LimitGiven)
            return std::nullopt;
        return Limit;
    }
};
