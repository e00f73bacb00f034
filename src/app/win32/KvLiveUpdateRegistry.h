// The stored live-update text in HKEY_LOCAL_MACHINE\Software\Kestrova\Orvane.
#pragma once

#include "app/FOrvaneLiveUpdate.h"

class TKvLiveUpdateRegistryWin : public IKvLiveUpdateRegistry {
public:
    TKvStoredKind Query(std::uint32_t& size) override;
    bool Read(std::uint32_t size, std::string& bytes) override;
    void Write(const std::string& bytes) override;
};
