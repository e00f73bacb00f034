// The page steps shared by the text and the JSON outputs: opening the file
// and counting its pages the way the viewer's page-count thread does, and
// loading one page with the reader's own failure texts.
#pragma once

#include <cstdint>
#include <string>

#include "tiff/KvCodecTiff.h"
#include "tiff/KvTiffChildDirs.h"

struct TTiffFileFacts {
    std::uint64_t Size = 0;
    std::string ByteOrder;
    bool BigTiff = false;
    std::uint32_t PageCount = 0;
};

// false with the reader's text when the file cannot be read.
bool OpenAndCountPages(TKvCodecTrnTiff& reader, const std::string& path, TTiffFileFacts& facts,
                       std::string& errText);
// false with the text to show in place of the page.
bool LoadPage(TKvCodecTrnTiff& reader, std::uint32_t index, std::string& failure);
// The raster size text of the loaded page, or its failure text.
bool ReadRasterSizeText(TKvCodecTrnTiff& reader, std::uint32_t& size, std::string& text);
// Lets the child walk know the directories of the page chain.
void UsePageOffsets(TKvTiffChildWalker& walker, const TKvCodecTrnTiff& reader,
                    std::uint32_t pageCount);
