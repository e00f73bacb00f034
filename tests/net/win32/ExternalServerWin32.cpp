#include "ExternalServer.h"

// The Windows test runs have no Python next to them.
TExternalServer::~TExternalServer() = default;

bool TExternalServer::Start(const std::string&, const std::string&, std::string& why)
{
    why = "no Python HTTP server in Windows test runs";
    return false;
}
