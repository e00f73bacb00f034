#include "app/FOrvaneLiveUpdate.h"

#include <limits>

#include "app/FOrvaneAbout.h"
#include "html/KvHtml.h"
#include "html/KvHtmlCanvasLog.h"
#include "htmlview/FHelp.h"
#include "htmlview/OrvaneSite.h"

namespace {

TKvLiveUpdateText& Current()
{
    static TKvLiveUpdateText current{ProgramVersion, 0, {}};
    return current;
}

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// The line from pos to the next CR or LF, then past every CR and LF after it.
std::string TakeLine(const std::string& text, std::size_t& pos)
{
    std::size_t start = pos;
    while (pos < text.size() && !IsLineEnd(text[pos]))
        ++pos;
    std::string line = text.substr(start, pos - start);
    while (pos < text.size() && IsLineEnd(text[pos]))
        ++pos;
    return line;
}

bool DecimalToInt32(const std::string& s, std::int32_t& value)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+'))
        negative = s[i++] == '-';
    if (i == s.size())
        return false;
    const std::int64_t limit = negative ? -std::int64_t{std::numeric_limits<std::int32_t>::min()}
                                        : std::int64_t{std::numeric_limits<std::int32_t>::max()};
    std::int64_t magnitude = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        magnitude = magnitude * 10 + (s[i] - '0');
        if (magnitude > limit)
            return false;
    }
    value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return true;
}

std::string LinkLine(const std::string& href, const std::string& title, const std::string& text)
{
    return "<a href=\"" + href + "\" title=\"" + title + "\">" + text + "</a><br>\n";
}

}  // namespace

std::string DefaultLiveUpdateText()
{
    return std::string(ProgramVersion) + "\n" + "47352\n" + "New version 1.12 of<br>\n" +
           LinkLine(ProductPageUrl(), ProductPageTitle, "TIFF Tag Viewer") +
           "Redesigned archive of<br>\n" +
           LinkLine(MailingListArchiveUrl(), MailingListArchiveTitle,
                    "TIFF and LibTiff Mailing List");
}

bool SplitLiveUpdateText(const std::string& text, TKvLiveUpdateText& parsed)
{
    std::size_t pos = 0;
    TKvLiveUpdateText result;
    result.FLatestVersion = TakeLine(text, pos);
    if (!DecimalToInt32(TakeLine(text, pos), result.FInstallerSize))
        return false;
    while (pos < text.size())
        result.FLatestNews += TakeLine(text, pos) + "\r\n";
    parsed = std::move(result);
    return true;
}

const std::string& LatestVersion()
{
    return Current().FLatestVersion;
}

const std::string& LatestNews()
{
    return Current().FLatestNews;
}

std::int32_t InstallerSize()
{
    return Current().FInstallerSize;
}

bool ParseLiveUpdate(const std::string& text)
{
    return SplitLiveUpdateText(text, Current());
}

void LoadLiveUpdate(IKvLiveUpdateRegistry& registry)
{
    std::uint32_t size = 0;
    std::string stored;
    if (registry.Query(size) == TKvStoredKind::Binary && size < LiveUpdateStoreLimit &&
        registry.Read(size, stored) && ParseLiveUpdate(stored)) {
        // Stored by an older program that did not check it: the version
        // still counts, the pages go without the news.
        if (!NewsFitsThePages(LatestNews()))
            Current().FLatestNews.clear();
        return;
    }
    ParseLiveUpdate(DefaultLiveUpdateText());
}

bool AcceptLiveUpdate(IKvLiveUpdateRegistry& registry, const std::string& text)
{
    TKvLiveUpdateText parsed;
    if (!SplitLiveUpdateText(text, parsed) || !NewsFitsThePages(parsed.FLatestNews))
        return false;
    registry.Write(text);
    Current() = parsed;
    return true;
}

// The engine parses while it measures, so the pages are laid out on a canvas
// that only measures.
bool NewsFitsThePages(const std::string& news)
{
    for (const std::string& page : {BuildAboutPageText(0, news), BuildManualPageText(news)}) {
        TErrCode errCode = ErrOk;
        std::string errText;
        try {
            TKvHtml html;
            TKvHtmlCanvasLog canvas;
            std::int32_t minimum = 0, maximum = 0, height = 0;
            html.LoadFromString(page, errCode, errText);
            if (errCode == ErrOk)
                html.ComputeMinMaxWidth(canvas, minimum, maximum, errCode, errText);
            if (errCode == ErrOk)
                html.ComputeHeightForWidth(canvas, maximum, height, errCode, errText);
        } catch (const std::exception&) {
            return false;
        }
        if (errCode != ErrOk)
            return false;
    }
    return true;
}
