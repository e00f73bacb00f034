#include "tiff/TagDump.h"

#include "tiff/KvCodecTiff.h"

void BuildTagDump(TKvCodecTrnTiff& reader, std::string& text)
{
    BuildTagDump(reader, text, DumpValueLimit);
}

void BuildTagDump(TKvCodecTrnTiff& reader, std::string& text, std::uint32_t valueLimit)
{
    text.clear();
    std::string piece;
    for (std::uint32_t i = 0; i < reader.EntryCount(); ++i) {
        reader.TagName(i, piece);
        text += piece;
        text += " (";
        text += std::to_string(reader.ValueCount(i));
        text += ' ';
        reader.DataTypeName(i, piece);
        text += piece;
        text += "): ";
        reader.ValueText(i, valueLimit, piece);
        text += piece;
        text += "\r\n";
    }
    if (reader.DirectoryCut()) {
        text += TKvCodecTrnTiff::DirectoryCutText;
        text += "\r\n";
    }
}

std::string BuildTagDump(TKvCodecTrnTiff& reader)
{
    std::string text;
    BuildTagDump(reader, text);
    return text;
}
