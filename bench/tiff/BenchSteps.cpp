#include "BenchSteps.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdio.h>  // popen

namespace {

constexpr int Runs = 3;

}  // namespace

double Seconds(TClock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

double BestTime(const std::function<bool()>& run)
{
    double best = 1e9;
    for (int i = 0; i < Runs; ++i) {
        const auto start = TClock::now();
        if (!run()) {
            std::fprintf(stderr, "a run failed\n");
            std::exit(1);
        }
        best = std::min(best, Seconds(TClock::now() - start));
    }
    return best;
}

void OpenWithReader(TKvCodecTrnTiff& reader, const std::string& path, TErrCode& errCode,
                    std::string& errText)
{
    reader.EnablePageList(true, errCode, errText);
    reader.Open(path, path, 0, 0, errCode, errText);
}

std::uint32_t CountWithReader(const std::string& path)
{
    TKvCodecTrnTiff reader;
    TErrCode code = ErrOk;
    std::string text;
    OpenWithReader(reader, path, code, text);
    bool final = false;
    while (code == ErrOk && !final)
        reader.ScanStep(final, code, text);
    std::uint32_t count = 0;
    reader.GetPageCount(final, count);
    return code == ErrOk ? count : 0;
}

void PrintRatio(const char* what, double ours, const char* reference, double referenceTime,
                double target)
{
    const double ratio = ours / referenceTime;
    std::printf("%s: %.4f s, %s %.4f s, ratio %.2f (target at most %.1f: %s)\n", what, ours,
                reference, referenceTime, ratio, target, ratio <= target ? "met" : "NOT met");
}

double ChildFigure(const std::string& command)
{
    std::FILE* child = popen(command.c_str(), "r");
    double figure = -1;
    if (child) {
        if (std::fscanf(child, "%lf", &figure) != 1)
            figure = -1;
        pclose(child);
    }
    return figure;
}
