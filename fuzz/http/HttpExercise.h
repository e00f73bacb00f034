// Plays fuzz bytes as a server's responses to the client, split into pieces
// whose sizes the input chooses, and checks what must hold afterwards.
#pragma once

#include <cstddef>
#include <cstdint>

// Input: one flags byte (bit 0: the body handler discards, bit 1: a second
// request on the same connection), one count byte n (taken modulo 16), n piece
// sizes, then the bytes the server sends, cut into pieces of those sizes in
// turn (a size of 0 stands for 256).
void ExerciseHttpClient(const std::uint8_t* data, std::size_t size);
