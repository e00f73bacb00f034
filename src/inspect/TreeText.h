// The text of a page's tags with the tree or every value in full: the tag
// lines, each followed, in a tree, by the directories it points to,
// indented two blanks per level.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "inspect/TextOptions.h"
#include "tiff/KvCodecTiff.h"
#include "tiff/KvTiffChildDirs.h"

class TTreeTextWriter {
public:
    TTreeTextWriter(TKvTiffDirReader& raw, std::ostream& out) : Raw(raw), Walker(raw), Out(out) {}

    void Start(const TKvCodecTrnTiff& reader, std::uint32_t pageCount, const TTextOptions& options);
    // The tag lines of the loaded page; false when some value or directory
    // could not be read (its text is shown in place).
    bool WritePage(TKvCodecTrnTiff& reader);

private:
    void WriteChildren(const TTiffWalkEntry& entry, unsigned depth);
    void WriteDirectory(const TTiffChildDir& dir, std::uint32_t pointerCount, unsigned depth);
    void WriteEntry(TTiffDirKind kind, const TTiffRawEntry& entry, unsigned depth);
    std::string ValueText(TTiffDirKind kind, const TTiffRawEntry& entry);

    TKvTiffDirReader& Raw;
    TKvTiffChildWalker Walker;
    std::ostream& Out;
    bool Tree = false;
    bool ValuesAll = false;
    std::uint32_t Limit = 0;
    std::optional<std::uint32_t> FullLimit;
    bool Failed = false;
    std::vector<std::uint8_t> Value;
};

// "EXIF directory", "SubIFD 2", "SubIFD 2.3" (third in the chain of the
// second SubIFD), "EXIF directory 1.2"; a number when the pointer holds more
// than one offset or the directory is not the first of its chain.
std::string ChildDirLabel(const TTiffChildDir& dir, std::uint64_t pointerCount);
