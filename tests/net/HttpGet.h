// One GET as the live update makes it: each step runs only while the ones
// before it succeeded. The body is what arrived, also of a failed response.
#pragma once

#include <ostream>
#include <string>

#include "net/KvHttp.h"

struct TGetResult {
    TErrCode FCode = ErrOk;
    std::string FText = "untouched";
    std::string FBody;
    std::int32_t FStatus = -1;
    bool operator==(const TGetResult&) const = default;
};

TGetResult HttpGet(TKvHttpClient& client, const std::string& url, const TKvEvent* abort = nullptr);

std::ostream& operator<<(std::ostream& out, const TGetResult& r);
