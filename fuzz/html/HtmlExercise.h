// Drives the whole HTML engine over one input: parse, width pass, height
// passes at a few widths, painting and hit tests over a grid of points. Used
// by the fuzz target and by the test that replays saved crash inputs.
#pragma once

#include <cstddef>
#include <cstdint>

void ExerciseHtml(const std::uint8_t* data, std::size_t size);
