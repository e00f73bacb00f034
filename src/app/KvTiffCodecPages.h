// The real TIFF reader behind the viewer's reader interface.
#pragma once

#include "app/KvTiffPages.h"
#include "tiff/KvCodecTiff.h"

class TKvTiffCodecPages : public IKvTiffPages {
public:
    void EnablePageList(bool on, TErrCode& errCode, std::string& errText) override;
    void Open(const std::string& path, const std::string& displayName, std::uint32_t pageIndex,
              std::uint32_t ifdOffset, TErrCode& errCode, std::string& errText) override;
    void SelectPage(std::uint32_t index, TErrCode& errCode, std::string& errText) override;
    void ReadPage(TErrCode& errCode, std::string& errText) override;
    void ScanStep(bool& final, TErrCode& errCode, std::string& errText) override;
    void ScanSteps(std::uint32_t steps, bool& final, TErrCode& errCode,
                   std::string& errText) override;
    void GetPageCount(bool& final, std::uint32_t& count) override;
    void PageOffsets(std::uint32_t first, std::uint32_t count,
                     std::vector<std::uint64_t>& offsets) override;
    std::uint32_t EntryCount() override;
    bool DirectoryCut() override;
    std::string TagName(std::uint32_t i) override;
    std::string DataTypeName(std::uint32_t i) override;
    std::uint64_t ValueCount(std::uint32_t i) override;
    std::string ValueText(std::uint32_t i, std::uint32_t limit) override;
    std::uint32_t ValueSize(std::uint32_t i) override;
    const void* ValuePointer(std::uint32_t i) override;
    std::vector<std::uint8_t> FileOrderValue(std::uint32_t i) override;
    std::optional<std::string> DecodedText(std::uint32_t i, std::uint32_t pageCount) override;
    std::uint64_t FileSize() override;
    std::string ByteOrderText() override;
    std::uint64_t IfdOffset() override;
    std::string RasterSizeText() override;
    std::string SizeText(std::uint64_t size) override;
    std::string TagDump() override;

private:
    TKvCodecTrnTiff FCodec;
};

std::unique_ptr<IKvTiffPages> CreateTiffCodecPages();
