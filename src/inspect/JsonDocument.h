// The whole structure of a TIFF file as one JSON document, written page by
// page as it is read: the file's facts, and for every page its directory
// with every value and the directories below it. orvane-dump --json prints
// it; tools/orvane-dump/orvane-dump.schema.json describes it.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

// Only page (1-based) when given. 0 everything read, 1 a failure somewhere
// (its text is in the document; an unreadable file or a page that does not
// exist also goes to err).
int WriteJsonDocument(const std::string& path, std::optional<std::uint32_t> page, std::ostream& out,
                      std::ostream& err);
