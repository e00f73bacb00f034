// A reference-counted base with its own lock. The last Release destroys the
// object, outside the lock, on whichever thread drops that reference.
#pragma once

#include <cstdint>

#include "io/SynCrs.h"

class TSynNus {
public:
    TSynNus() = default;
    TSynNus(const TSynNus&) = delete;
    TSynNus& operator=(const TSynNus&) = delete;

    void AddRef()
    {
        Lock.Enter();
        ++RefCount;
        Lock.Leave();
    }

    void Release()
    {
        Lock.Enter();
        bool last = --RefCount == 0;
        Lock.Leave();
        if (last)
            delete this;
    }

    std::int32_t RefCountForTest() const { return RefCount; }

protected:
    virtual ~TSynNus() = default;

    TCrs Lock;
    std::int32_t RefCount = 1;
};
