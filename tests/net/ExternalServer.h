// Python's http.server started on a free loopback port, serving a folder;
// stopped (killed and reaped) when the object goes, on every path out of a
// test. Where it cannot be started, Start returns false and says why.
#pragma once

#include <cstdint>
#include <string>

class TExternalServer {
public:
    TExternalServer() = default;
    ~TExternalServer();
    TExternalServer(const TExternalServer&) = delete;
    TExternalServer& operator=(const TExternalServer&) = delete;

    bool Start(const std::string& folder, const std::string& protocol, std::string& why);
    std::uint16_t Port() const { return FPort; }

private:
    std::intptr_t FProcess = -1;
    std::intptr_t FOutput = -1;
    std::uint16_t FPort = 0;
};
