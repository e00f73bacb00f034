#include "inspect/JsonDocument.h"

#include "inspect/DecodedJson.h"
#include "inspect/FullValues.h"
#include "inspect/JsonWriter.h"
#include "inspect/PageLoading.h"

namespace {

class TJsonDocumentWriter {
public:
    TJsonDocumentWriter(const std::string& path, std::optional<std::uint32_t> page,
                        std::ostream& out, std::ostream& err)
        : Path(path), Page(page), Err(err), Json(out), Walker(Raw)
    {
    }

    int Run();

private:
    bool WriteFileFacts();
    void WritePage(std::uint32_t index);
    void WriteLoadedPage();
    void WriteRasterSize();
    void WriteFailureOrCut(const TTiffWalkDir& dir);
    void WriteEntries(const TTiffWalkDir& dir);
    void WriteEntry(const TTiffWalkDir& dir, const TTiffWalkEntry& entry);
    bool WriteValues(const TTiffRawEntry& entry);
    void WriteChild(const TTiffChildDir& dir);

    const std::string& Path;
    const std::optional<std::uint32_t> Page;  // 1-based; every page without
    std::ostream& Err;
    TKvJsonWriter Json;
    TKvCodecTrnTiff Reader;
    TKvTiffDirReader Raw;
    TKvTiffChildWalker Walker;
    std::uint32_t PageCount = 0;
    bool Failed = false;
    std::vector<std::uint8_t> Value;
};

void TJsonDocumentWriter::WriteRasterSize()
{
    std::uint32_t size = 0;
    std::string text;
    const bool sized = ReadRasterSizeText(Reader, size, text);
    Json.Key("rasterSize");
    if (sized)
        Json.Number(std::uint64_t(size));
    else
        Json.Null();
    Json.Key("rasterSizeText");
    if (sized)
        Json.String(text);
    else
        Json.Null();
    Json.Key("rasterFailure");
    if (sized)
        Json.Null();
    else
        Json.String(text);
}

bool TJsonDocumentWriter::WriteValues(const TTiffRawEntry& entry)
{
    TErrCode code = ErrOk;
    std::string text;
    Raw.ReadValue(entry, Value, code, text);
    Json.Key("values");
    if (code == ErrOk)
        WriteJsonValues(Raw, entry, Value, Json);
    else
        Json.Null();
    Json.NullOrString("failure", text);
    Failed = Failed || code != ErrOk;
    return code == ErrOk;
}

void TJsonDocumentWriter::WriteEntry(const TTiffWalkDir& dir, const TTiffWalkEntry& entry)
{
    const TTiffDirKind kind = dir.Kind;
    const TTiffRawEntry& raw = entry.Raw;
    Json.BeginObject();
    Json.Member("code", std::uint64_t(raw.Tag));
    Json.Key("name");
    if (const char* name = TiffTagNameIn(kind, raw.Tag))
        Json.String(name, std::char_traits<char>::length(name));
    else
        Json.Null();
    Json.Member("type", std::uint64_t(raw.Type));
    Json.Member("typeName", TiffRawTypeName(raw.Type));
    Json.Member("count", raw.Count);
    Json.Member("inline", raw.Inline);
    Json.Member("offset", raw.ValueOffset);
    if (WriteValues(raw))
        WriteDecodedMember(Raw, dir, raw, Value, PageCount, Json);
    TTiffDirKind childKind;
    if (TiffChildKind(kind, raw.Tag, childKind)) {
        Json.NullOrString("childFailure", entry.ChildFailure);
        Failed = Failed || !entry.ChildFailure.empty();
        Json.Key("children");
        Json.BeginArray();
        for (const TTiffChildDir& child : entry.Children)
            WriteChild(child);
        Json.EndArray();
    }
    Json.EndObject();
}

// A directory the end of the file cut is shown, not failed: its entries
// before the end, then why it stops. It still makes the exit code 1.
void TJsonDocumentWriter::WriteFailureOrCut(const TTiffWalkDir& dir)
{
    Failed = Failed || !dir.Failure.empty();
    Json.NullOrString("failure", dir.Cut ? std::string() : dir.Failure);
    if (dir.Cut) {
        Json.Member("cut", true);
        Json.Member("reason", std::string(TKvCodecTrnTiff::DirectoryCutText));
    }
}

void TJsonDocumentWriter::WriteEntries(const TTiffWalkDir& dir)
{
    Json.Member("entryCount", dir.DeclaredCount);
    Json.Key("nextOffset");
    if (dir.Cut)
        Json.Null();
    else
        Json.Number(dir.NextOffset);
    Json.Key("entries");
    Json.BeginArray();
    for (const TTiffWalkEntry& entry : dir.Entries)
        WriteEntry(dir, entry);
    Json.EndArray();
}

void TJsonDocumentWriter::WriteChild(const TTiffChildDir& dir)
{
    Json.BeginObject();
    Json.Member("kind", TiffDirKindKey(dir.Kind));
    Json.Member("number", dir.Number);
    Json.Member("position", dir.Position);
    Json.Member("offset", dir.Offset);
    WriteFailureOrCut(dir);
    if (dir.Failure.empty() || dir.Cut)
        WriteEntries(dir);
    Json.EndObject();
}

void TJsonDocumentWriter::WriteLoadedPage()
{
    Json.Member("offset", std::uint64_t(Reader.IfdOffset()));
    WriteRasterSize();
    TTiffWalkDir page;
    Walker.ReadDir(Reader.IfdOffset(), TTiffDirKind::Page, page);
    Walker.ReadChildren(page);
    WriteFailureOrCut(page);
    WriteEntries(page);
}

void TJsonDocumentWriter::WritePage(std::uint32_t index)
{
    Json.BeginObject();
    Json.Member("number", std::uint64_t(index) + 1);
    std::string failure;
    if (LoadPage(Reader, index, failure)) {
        WriteLoadedPage();
    } else {
        Failed = true;
        Json.Key("offset");
        Json.Null();
        Json.Member("failure", failure);
    }
    Json.EndObject();
}

bool TJsonDocumentWriter::WriteFileFacts()
{
    TTiffFileFacts facts;
    std::string text;
    const bool opened = OpenAndCountPages(Reader, Path, facts, text);
    TErrCode code = ErrOk;
    if (opened)
        Raw.Open(Path, Path, code, text);
    Json.Key("file");
    Json.BeginObject();
    Json.Member("path", Path);
    if (opened && code == ErrOk) {
        PageCount = facts.PageCount;
        Json.Member("size", facts.Size);
        Json.Member("byteOrder", facts.ByteOrder);
        Json.Member("bigTiff", Raw.IsBigTiff());
        Json.Member("firstOffset", Raw.FirstOffset());
        Json.Member("pageCount", PageCount);
    }
    Json.NullOrString("failure", opened && code == ErrOk ? std::string() : text);
    Json.EndObject();
    if (!opened || code != ErrOk)
        Err << text << '\n';
    return opened && code == ErrOk;
}

int TJsonDocumentWriter::Run()
{
    Json.BeginObject();
    const bool opened = WriteFileFacts();
    Json.Key("pages");
    Json.BeginArray();
    int result = opened ? 0 : 1;
    if (opened) {
        UsePageOffsets(Walker, Reader, PageCount);
        const std::uint32_t first = Page ? *Page - 1 : 0;
        const std::uint32_t end = Page ? first + 1 : PageCount;
        if (Page && first >= PageCount) {
            Err << "Page " << first + 1 << " does not exist; the file has " << PageCount
                << " pages\n";
            result = 1;
        }
        for (std::uint32_t index = first; index < end && index < PageCount; ++index)
            WritePage(index);
        if (Failed)
            result = 1;
    }
    Json.EndArray();
    Json.EndObject();
    return result;
}

}  // namespace

int WriteJsonDocument(const std::string& path, std::optional<std::uint32_t> page, std::ostream& out,
                      std::ostream& err)
{
    TJsonDocumentWriter dumper(path, page, out, err);
    return dumper.Run();
}
