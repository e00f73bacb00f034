#include "inspect/PageLoading.h"

namespace {

constexpr std::uint32_t CountBatch = 1u << 20;

}  // namespace

bool OpenAndCountPages(TKvCodecTrnTiff& reader, const std::string& path, TTiffFileFacts& facts,
                       std::string& errText)
{
    TErrCode code = ErrOk;
    reader.EnablePageList(true, code, errText);
    reader.Open(path, path, 0, 0, code, errText);
    if (code == ErrOk)
        reader.GetFileSize(facts.Size, code, errText);
    if (code == ErrOk)
        reader.GetByteOrder(facts.ByteOrder, code, errText);
    facts.BigTiff = reader.IsBigTiff();
    // Pages are counted the way the window's page-count thread does, in
    // batches, as no lock needs letting go between them.
    for (bool final = false; code == ErrOk && !final;)
        reader.ScanSteps(CountBatch, final, code, errText);
    if (code != ErrOk)
        return false;
    bool final = false;
    reader.GetPageCount(final, facts.PageCount);
    return true;
}

bool LoadPage(TKvCodecTrnTiff& reader, std::uint32_t index, std::string& failure)
{
    TErrCode code = ErrOk;
    std::string text;
    try {
        reader.SelectPage(index, code, text);
        if (code == ErrOk)
            reader.ReadPage(code, text);
    } catch (const EKvInternal& e) {
        // The sanity check on the entry count leaves its own text.
        failure = code != ErrOk ? text : UnexpectedText(e.what());
        return false;
    }
    failure = text;
    return code == ErrOk;
}

bool ReadRasterSizeText(TKvCodecTrnTiff& reader, std::uint32_t& size, std::string& text)
{
    TErrCode code = ErrOk;
    try {
        reader.GetRasterSize(size, code, text);
    } catch (const EKvInternal& e) {
        code = ErrFailed;
        text = UnexpectedText(e.what());
    }
    if (code == ErrOk)
        text = SizeToText(size);
    return code == ErrOk;
}

void UsePageOffsets(TKvTiffChildWalker& walker, const TKvCodecTrnTiff& reader,
                    std::uint32_t pageCount)
{
    walker.SetKnownOffsets([&reader, pageCount](TKvTiffOffsetSet& known) {
        for (std::uint32_t i = 0; i < pageCount; ++i) {
            const std::uint64_t offset = reader.PageSlot(i);
            if (offset != 0 && offset != TKvCodecTrnTiff::BrokenMark)
                known.Insert(offset);
        }
    });
}
