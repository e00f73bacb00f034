// Byte counts as the window and the dump show them: "511 b", "1.00 Kb",
// "12.34 Mb", "1.50 Gb".
#pragma once

#include <cstdint>
#include <string>

std::string SizeToText(std::uint64_t size);
void SizeToText(std::uint64_t size, std::string& text);
