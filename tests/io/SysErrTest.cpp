#include <gtest/gtest.h>

#include "io/SysErr.h"
#include "io/SysErrTable.h"

TEST(SysErrorText, TellingCodes)
{
    const struct {
        std::uint32_t Code;
        const char* Text;
    } cases[] = {
        {0, "ERROR_SUCCESS: The operation completed successfully"},
        {2, "ERROR_FILE_NOT_FOUND: The system cannot find the file specified"},
        {34, "ERROR_WRONG_DISK: The wrong diskette is in the drive. Insert %2 (Volume Serial "
             "Number: %3) into drive %1."},
        {87, "ERROR_INVALID_PARAMETER: The parameter is incorrect"},
        {276, "ERROR_EA_FILE_CORRUPT: The extended attribute file on the mounted file system is "
              "corrupt"},
        {997, "ERROR_IO_PENDING: Overlapped I/O operation is in progress."},
        {1793, "ERROR_ACCOUNT_EXPIRED: The user's account has expired."},
        {35, "35"},
        {4294967295u, "4294967295"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SysErrorText(c.Code), c.Text) << c.Code;
}

// The look-up is a binary search: the rows must be sorted, each code once.
// Every message is stored as published, with its final period.
TEST(SysErrorText, EveryRowIsFoundWithItsName)
{
    auto rows = SysErrorRows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0) {
            ASSERT_LT(rows[i - 1].Code, rows[i].Code);
        }
        ASSERT_EQ(std::string(rows[i].Message).back(), '.') << rows[i].Name;
        std::string prefix = std::string(rows[i].Name) + ": ";
        std::string text = SysErrorText(rows[i].Code);
        ASSERT_EQ(text.rfind(prefix, 0), 0u) << text;
        ASSERT_GT(text.size(), prefix.size() + 1) << text;
    }
}

TEST(Allocation, ImpossibleSizeReportsOutOfMemory)
{
    TErrCode code = ErrOk;
    std::string text;
    void* block = reinterpret_cast<void*>(1);
    AllocBlock(SIZE_MAX / 2 + 1, block, code, text);
    EXPECT_EQ(code, ErrFailed);
    EXPECT_EQ(text, "Out of memory");
    EXPECT_EQ(block, nullptr);
}
