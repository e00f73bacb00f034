// The text of the internal failure (EKvInternal) that fn raises, or "" when
// it raises none.
#pragma once

#include <string>

#include "io/SysErr.h"

template <class Fn>
std::string InternalText(Fn fn)
{
    try {
        fn();
    } catch (const EKvInternal& e) {
        return e.what();
    }
    return "";
}
