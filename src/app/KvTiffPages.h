// What the tag viewer and its page-count thread use of the TIFF reader. The
// window holds the reader only through this interface, so its logic can be
// driven by a scripted reader as well as by the real one.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "io/SysErr.h"

class IKvTiffPages {
public:
    virtual ~IKvTiffPages() = default;

    virtual void EnablePageList(bool on, TErrCode& errCode, std::string& errText) = 0;
    virtual void Open(const std::string& path, const std::string& displayName,
                      std::uint32_t pageIndex, std::uint32_t ifdOffset, TErrCode& errCode,
                      std::string& errText) = 0;
    virtual void SelectPage(std::uint32_t index, TErrCode& errCode, std::string& errText) = 0;
    virtual void ReadPage(TErrCode& errCode, std::string& errText) = 0;
    virtual void ScanStep(bool& final, TErrCode& errCode, std::string& errText) = 0;
    // ScanStep up to steps times, ending early when final or failed.
    virtual void ScanSteps(std::uint32_t steps, bool& final, TErrCode& errCode,
                           std::string& errText)
    {
        for (std::uint32_t i = 0; i < steps; ++i) {
            ScanStep(final, errCode, errText);
            if (final || errCode != ErrOk)
                return;
        }
    }
    virtual void GetPageCount(bool& final, std::uint32_t& count) = 0;
    // The directory offsets of count pages of the page list from first on
    // (BrokenMark-style slots as the reader keeps them); readers without a
    // list give none.
    virtual void PageOffsets(std::uint32_t first, std::uint32_t count,
                             std::vector<std::uint64_t>& offsets)
    {
        (void)first;
        (void)count;
        offsets.clear();
    }

    virtual std::uint32_t EntryCount() = 0;
    // The end of the file cut the loaded directory after its entries.
    virtual bool DirectoryCut() = 0;
    virtual std::string TagName(std::uint32_t i) = 0;
    virtual std::string DataTypeName(std::uint32_t i) = 0;
    virtual std::uint64_t ValueCount(std::uint32_t i) = 0;
    virtual std::string ValueText(std::uint32_t i, std::uint32_t limit) = 0;
    // Raise an exception carrying the reader's text when the bytes cannot be
    // read.
    virtual std::uint32_t ValueSize(std::uint32_t i) = 0;
    virtual const void* ValuePointer(std::uint32_t i) = 0;
    // Entry i's value as the file holds it, and its decoded text (none for
    // a tag without a decoder). Readers without decoders keep the defaults.
    virtual std::vector<std::uint8_t> FileOrderValue(std::uint32_t i)
    {
        const auto* p = static_cast<const std::uint8_t*>(ValuePointer(i));
        return p ? std::vector<std::uint8_t>(p, p + ValueSize(i)) : std::vector<std::uint8_t>();
    }
    virtual std::optional<std::string> DecodedText(std::uint32_t /*i*/, std::uint32_t /*pages*/)
    {
        return std::nullopt;
    }

    virtual std::uint64_t FileSize() = 0;
    virtual std::string ByteOrderText() = 0;
    virtual std::uint64_t IfdOffset() = 0;
    virtual std::string RasterSizeText() = 0;
    virtual std::string SizeText(std::uint64_t size) = 0;

    // The clipboard dump of the loaded page.
    virtual std::string TagDump() = 0;
};

// Makes the reader the window uses; the program passes the real one, tests a
// scripted one.
using TKvTiffPagesFactory = std::function<std::unique_ptr<IKvTiffPages>()>;
