// The few peer calls the tests' own loopback server needs, one
// implementation per platform.
#pragma once

#include <cstdint>
#include <string>

using TTestSocket = std::intptr_t;
inline constexpr TTestSocket NoTestSocket = -1;

// Listens on 127.0.0.1 at a free port; NoTestSocket on failure.
TTestSocket ListenLoopback(std::uint16_t& port);
// NoTestSocket when no connection arrives within ms milliseconds.
TTestSocket AcceptWithin(TTestSocket listener, int ms);
// Bytes received (> 0), 0 when the peer closed, -1 when nothing came within
// ms milliseconds, -2 on an error.
int ReceiveWithin(TTestSocket peer, char* buffer, int size, int ms);
bool SendAll(TTestSocket peer, const std::string& data);
void CloseTestSocket(TTestSocket peer);
