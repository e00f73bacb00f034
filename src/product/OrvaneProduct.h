// What the program says about itself wherever it shows its name: the title,
// the version and the maker's web host. The version and the host are build
// settings that only OrvaneProduct.cpp sees, so a new version recompiles that
// file alone and the update test links the same objects into programs of
// other versions.
#pragma once

inline constexpr const char* ProgramTitle = "Orvane";

// ORVANE_VERSION, MAJOR.MINOR.
extern const char ProgramVersion[];
// ORVANE_WEB_HOST; its default is a reserved name that never resolves, so a
// build made without it never reaches anyone's server.
extern const char WebHost[];
