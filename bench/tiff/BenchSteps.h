// The steps both benchmarks share: best-of-three timing, the reader's page
// count as the viewer's page-count thread runs it, the ratio line, and a
// figure printed by a child process.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "tiff/KvCodecTiff.h"

using TClock = std::chrono::steady_clock;

double Seconds(TClock::duration d);
// The best time of a few runs, so that every figure is taken with a warm
// cache; a run that returns false ends the benchmark.
double BestTime(const std::function<bool()>& run);
// Opens the file in the reader with the page list on, as the viewer does.
void OpenWithReader(TKvCodecTrnTiff& reader, const std::string& path, TErrCode& errCode,
                    std::string& errText);
// The page count of the reader, one ScanStep after the other; 0 when the
// file cannot be read.
std::uint32_t CountWithReader(const std::string& path);
void PrintRatio(const char* what, double ours, const char* reference, double referenceTime,
                double target);
// Runs the command and reads the one number it prints (a child process, so
// that no earlier allocation hides a peak); -1 when there is none.
double ChildFigure(const std::string& command);
