// The rules that tie the tags of an image together: what a
// PhotometricInterpretation and a Compression need, per-sample counts,
// ColorMap, YCbCr subsampling and the JPEG interchange stream. They look at
// facts gathered from the directory, not at the file.
#pragma once

#include <cstdint>
#include <optional>

#include "inspect/EntryRules.h"

struct TImageFacts {
    std::optional<std::uint64_t> Photometric;
    std::uint64_t Compression = 1;
    std::uint64_t SamplesPerPixel = 1;
    std::uint64_t BitsPerSample = 1;       // the first value
    std::uint64_t BitsPerSampleCount = 0;  // 0: no BitsPerSample
    std::uint64_t SampleFormatCount = 0;   // 0: no SampleFormat
    std::uint64_t ExtraSamplesCount = 0;
    std::optional<std::uint64_t> ColorMapCount;
    std::optional<std::uint64_t> SubsamplingAcross, SubsamplingDown;
    std::optional<std::uint64_t> JpegOffset, JpegLength;
    std::uint64_t FileSize = 0;
};

// Findings go to sink at offset, the directory's.
void CheckImageFacts(const TImageFacts& facts, std::uint64_t offset, TRuleSink& sink);
