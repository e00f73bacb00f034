#include <gtest/gtest.h>

#include <memory>

#include "../TempFile.h"
#include "io/win32/SysIOOverlapped.h"

TEST(OverlappedReader, ReadsAtTheRecordOffset)
{
    std::string content = PatternBytes(100000, 3);
    TTempFile file(content);
    TErrCode code = ErrOk;
    std::string text;
    std::unique_ptr<TIOOverlappedReaderFile> reader(
        TIOOverlappedReaderFile::Open(file.Path(), code, text));
    ASSERT_NE(reader, nullptr) << text;

    for (DWORD offset : {0u, 4096u, 99990u}) {
        OVERLAPPED record{};
        record.Offset = offset;
        record.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        std::string bytes(10, '\0');
        reader->BeginRead(&record, 10, bytes.data());
        EXPECT_EQ(reader->EndRead(&record), 10u);
        EXPECT_TRUE(bytes == content.substr(offset, 10)) << offset;
        CloseHandle(record.hEvent);
    }
    EXPECT_EQ(reader->ImmediateCount + reader->PendingCount, 3u);
}

TEST(OverlappedReader, MissingFile)
{
    TErrCode code = ErrOk;
    std::string text;
    EXPECT_EQ(TIOOverlappedReaderFile::Open(MissingPath(), code, text), nullptr);
    EXPECT_EQ(code, ErrFailed);
    EXPECT_EQ(text, "ERROR_FILE_NOT_FOUND: The system cannot find the file specified");
}
