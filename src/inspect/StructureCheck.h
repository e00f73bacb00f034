// The conformance check (orvane-dump --check): a report that goes on past
// every fault. Each finding names its rule, severity, offset, directory and
// entry; as plain lines, "offset N: WHERE: SEVERITY [RULE]: REASON", in the
// order the walk meets them (overlaps last), then a count line; or as one
// JSON document.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "inspect/ByteMap.h"
#include "inspect/CheckReport.h"

// What the check's walk tells a watcher besides its findings: every
// directory it reads and every span of bytes a structure claims (once, also
// when overlaps make the check walk the file twice), with a chance to stop
// after each page.
class ICheckWalkWatch {
public:
    virtual ~ICheckWalkWatch() = default;
    // The file opened, before anything is claimed.
    virtual void Begin(std::uint64_t fileSize) = 0;
    // A directory that could be read; the claims that follow are its own
    // until the next one (the header's come first, before any). childPath
    // is null for a page of the main chain.
    virtual void Directory(std::uint64_t offset, std::uint32_t page,
                           const std::string* childPath) = 0;
    // [start, start + size): item is the tag of a value, the index of a
    // strip or tile. It may reach beyond the end of the file.
    virtual void Claim(std::uint64_t start, std::uint64_t size, std::uint32_t item,
                       TSpanKind kind) = 0;
    // After every page of the chain, with its directories below it; false
    // ends the walk there.
    virtual bool PageDone(std::uint32_t page) = 0;
};

// 0 no errors (and with options.Strict no warnings), 1 else, 2 the file
// cannot be read (text on err).
int RunStructureCheck(const std::string& path, const TCheckOptions& options, std::ostream& out,
                      std::ostream& err);
// The same check with the findings handed to a sink of the caller's.
int RunStructureCheck(const std::string& path, IFindingSink& findings, std::ostream& err);
// The same with a watcher of the walk.
int RunStructureCheck(const std::string& path, IFindingSink& findings, ICheckWalkWatch& watch,
                      std::ostream& err);
