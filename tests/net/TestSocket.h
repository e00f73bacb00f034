// The few socket calls the tests' own loopback server needs, one
// implementation per platform.
#pragma once

#include <cstdint>
#include <string>

using TTestSocket = std::intptr_t;
inline constexpr TTestSocket NoTestSocket = -1;

// Listens on 127.0.0.1 at a free port; NoTestSocket on failure.
TTestSocket ListenLoopback(std::uint16_t& Port);
// NoTestSocket when no connection arrives within Ms milliseconds.
TTestSocket AcceptWithin(TTestSocket Listener, int Ms);
// Bytes received (> 0), 0 when the peer closed, -1 when nothing came within
// Ms milliseconds, -2 on an error.
int ReceiveWithin(TTestSocket Socket, char* Buffer, int Size, int Ms);
bool SendAll(TTestSocket Socket, const std::string& Data);
void CloseTestSocket(TTestSocket Socket);
