// The live-update text: the latest version, the installer's size and a few
// lines of news. The last fetched copy is kept in the registry; without one
// the built-in text serves, which names this version and so never prompts.
#pragma once

#include <cstdint>
#include <string>

#include "product/OrvaneProduct.h"

// Stored copies of this size or more are ignored (a guard against a value
// that something else wrote).
inline constexpr std::uint32_t LiveUpdateStoreLimit = 2048;

enum class TKvStoredKind { Absent, Binary, OtherType };

// The machine-wide registry value "LiveUpdate" under Software\Kestrova\Orvane.
class IKvLiveUpdateRegistry {
public:
    virtual ~IKvLiveUpdateRegistry() = default;
    // Kind and byte size of the stored value; Absent when a key or the value
    // is missing.
    virtual TKvStoredKind Query(std::uint32_t& size) = 0;
    // Reads exactly size bytes; false on any failure.
    virtual bool Read(std::uint32_t size, std::string& bytes) = 0;
    // Creates the keys as needed and writes the bytes as a binary value;
    // failures are ignored.
    virtual void Write(const std::string& bytes) = 0;
};

struct TKvLiveUpdateText {
    std::string FLatestVersion;
    std::int32_t FInstallerSize = 0;
    // Every news line ends with CR LF; blank lines are dropped.
    std::string FLatestNews;
};

// The built-in text (LF line ends).
std::string DefaultLiveUpdateText();

// False, leaving parsed untouched, when line 2 is missing or not a decimal
// integer in the signed 32-bit range.
bool SplitLiveUpdateText(const std::string& text, TKvLiveUpdateText& parsed);

// The process-wide facts, written and read on the user-interface thread.
const std::string& LatestVersion();
const std::string& LatestNews();
std::int32_t InstallerSize();

// Takes the text's facts; a text that does not parse changes nothing and
// gives false. Never raises.
bool ParseLiveUpdate(const std::string& text);
// The stored copy when it is usable and parses, else the built-in text; news
// that the HTML engine rejects is left out of the pages.
void LoadLiveUpdate(IKvLiveUpdateRegistry& registry);
// A fetched text: stored and taken as the current facts when it parses and
// its news renders; otherwise false and nothing changes (a stored text that
// the pages cannot show would spoil every later start).
bool AcceptLiveUpdate(IKvLiveUpdateRegistry& registry, const std::string& text);
// Whether the HTML engine takes the About page and the manual with the news.
bool NewsFitsThePages(const std::string& news);
