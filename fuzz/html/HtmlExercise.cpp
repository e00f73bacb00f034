#include "HtmlExercise.h"

#include <string>

#include "html/KvHtml.h"
#include "html/KvHtmlCanvasLog.h"

namespace {

bool LayOut(TKvHtml& document, TKvHtmlCanvas& dc, std::int32_t width, std::int32_t& height)
{
    TErrCode code = ErrOk;
    std::string text;
    document.ComputeHeightForWidth(dc, width, height, code, text);
    return code == ErrOk;
}

void Probe(TKvHtml& document, std::int32_t width, std::int32_t height)
{
    const std::int32_t steps = 12;
    for (std::int32_t i = 0; i <= steps; ++i) {
        for (std::int32_t j = 0; j <= steps; ++j) {
            TKvHtmlElement* e = document.ElementAt(width * i / steps, height * j / steps);
            if (e)
                (void)e->GetLink();
        }
    }
}

}  // namespace

void ExerciseHtml(const std::uint8_t* data, std::size_t size)
{
    TKvHtml document;
    TKvHtmlImageLog image("tile");
    document.OnGetImage = [&image](TKvHtml&, const std::string& name, TKvHtmlImage*& answer,
                                   std::int32_t& width, std::int32_t& height) {
        if (name.size() % 3 == 0)
            return;
        answer = &image;
        width = static_cast<std::int32_t>(name.size() % 5);
        height = 8;
    };
    TKvHtmlCanvasLog dc;
    TErrCode code = ErrOk;
    std::string text;
    document.LoadFromString(std::string(reinterpret_cast<const char*>(data), size), code, text);
    try {
        std::int32_t minimum = 0, maximum = 0;
        document.ComputeMinMaxWidth(dc, minimum, maximum, code, text);
        const std::int32_t widths[] = {0, 1, minimum, (minimum + maximum) / 2, maximum, 733};
        for (std::int32_t width : widths) {
            std::int32_t height = 0;
            try {
                if (!LayOut(document, dc, width, height))
                    return;
                document.RenderTo(dc, 3, -5, 0, 0, width, height / 2 + 1, code, text);
                Probe(document, width, height);
            } catch (const EKvInternal&) {
                // A refused layout at one width says nothing about the others.
            }
            dc.FLog.clear();
        }
        document.FindById("opening");
    } catch (const EKvInternal&) {
    }
}
