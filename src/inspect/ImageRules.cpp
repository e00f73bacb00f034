#include "inspect/ImageRules.h"

#include <string>

#include "tiff/TiffNames.h"

namespace {

constexpr std::uint16_t TagBitsPerSample = 258, TagColorMap = 320, TagExtraSamples = 338,
                        TagSampleFormat = 339, TagJpegOffset = 513, TagSubsampling = 530;

// The colour samples a PhotometricInterpretation has before any extra ones.
std::uint64_t ColourSamples(std::uint64_t photometric)
{
    switch (photometric) {
    case 2:
    case 6:
    case 8:
    case 9:
    case 10: return 3;
    default: return 1;
    }
}

void CheckSamples(const TImageFacts& f, std::uint64_t at, TRuleSink& sink)
{
    const auto spp = [&] { return std::to_string(f.SamplesPerPixel); };
    if (f.BitsPerSampleCount && f.BitsPerSampleCount != f.SamplesPerPixel)
        sink.Report(TRuleId::PerSampleCount, at, TagBitsPerSample,
                    "BitsPerSample has " + std::to_string(f.BitsPerSampleCount) + " values for " +
                        spp() + " samples per pixel");
    if (f.SampleFormatCount && f.SampleFormatCount != f.SamplesPerPixel)
        sink.Report(TRuleId::PerSampleCount, at, TagSampleFormat,
                    "SampleFormat has " + std::to_string(f.SampleFormatCount) + " values for " +
                        spp() + " samples per pixel");
    const std::uint64_t colour = ColourSamples(f.Photometric.value_or(1));
    if (f.ExtraSamplesCount && f.ExtraSamplesCount + colour > f.SamplesPerPixel)
        sink.Report(TRuleId::ExtraSamplesCount, at, TagExtraSamples,
                    "ExtraSamples names " + std::to_string(f.ExtraSamplesCount) +
                        " samples beside " + std::to_string(colour) + " colour ones; there are " +
                        spp());
}

void CheckColour(const TImageFacts& f, std::uint64_t at, TRuleSink& sink)
{
    const std::uint64_t photometric = f.Photometric.value_or(0xFFFF);
    if (f.ColorMapCount && f.Photometric && photometric != 3)
        sink.Report(TRuleId::ColorMapWithoutPalette, at, TagColorMap,
                    "ColorMap with PhotometricInterpretation " + std::to_string(photometric) +
                        ", not 3 (palette)");
    if (f.ColorMapCount && f.BitsPerSample <= 16 && *f.ColorMapCount != 3u << f.BitsPerSample)
        sink.Report(TRuleId::ColorMapSize, at, TagColorMap,
                    "ColorMap has " + std::to_string(*f.ColorMapCount) + " values; " +
                        std::to_string(f.BitsPerSample) + " bits per sample need " +
                        std::to_string(3u << f.BitsPerSample));
    if (photometric == 3 && !f.ColorMapCount)
        sink.Report(TRuleId::PhotometricTags, at, TagPhotometric,
                    "a palette image without ColorMap");
    if (photometric == 3 && !f.BitsPerSampleCount)
        sink.Report(TRuleId::PhotometricTags, at, TagPhotometric,
                    "a palette image without BitsPerSample");
    if ((photometric == 2 || photometric == 6) && f.SamplesPerPixel < 3)
        sink.Report(TRuleId::PhotometricTags, at, TagPhotometric,
                    std::string(photometric == 2 ? "an RGB" : "a YCbCr") + " image with " +
                        std::to_string(f.SamplesPerPixel) + " samples per pixel");
}

void CheckCompression(const TImageFacts& f, std::uint64_t at, TRuleSink& sink)
{
    const bool ccitt = f.Compression >= 2 && f.Compression <= 4;
    if (ccitt && (f.SamplesPerPixel != 1 || f.BitsPerSample != 1))
        sink.Report(TRuleId::CompressionTags, at, TagCompression,
                    "CCITT compression " + std::to_string(f.Compression) + " of " +
                        std::to_string(f.SamplesPerPixel) + " samples of " +
                        std::to_string(f.BitsPerSample) + " bits; it takes one 1-bit sample");
    if (f.SubsamplingAcross && f.SubsamplingDown) {
        const std::uint64_t h = *f.SubsamplingAcross, v = *f.SubsamplingDown;
        const auto allowed = [](std::uint64_t n) { return n == 1 || n == 2 || n == 4; };
        if (!allowed(h) || !allowed(v) || v > h)
            sink.Report(TRuleId::YCbCrSubsampling, at, TagSubsampling,
                        "YCbCrSubsampling " + std::to_string(h) + ", " + std::to_string(v));
    }
    if (f.JpegOffset && !f.JpegLength)
        sink.Report(TRuleId::JpegInterchange, at, TagJpegOffset,
                    "JPEGInterchangeFormat without JPEGInterchangeFormatLength");
    if (f.JpegOffset && f.JpegLength &&
        (*f.JpegOffset > f.FileSize || *f.JpegLength > f.FileSize - *f.JpegOffset))
        sink.Report(TRuleId::JpegInterchange, *f.JpegOffset, TagJpegOffset,
                    "the JPEG stream (" + std::to_string(*f.JpegLength) +
                        " bytes) lies beyond the end of the file");
}

}  // namespace

void CheckImageFacts(const TImageFacts& facts, std::uint64_t offset, TRuleSink& sink)
{
    CheckSamples(facts, offset, sink);
    CheckColour(facts, offset, sink);
    CheckCompression(facts, offset, sink);
}
