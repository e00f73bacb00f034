#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "io/SynTyp.h"
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
        {317, "ERROR_MR_MID_NOT_FOUND: The system cannot find message text for message number "
              "0x%1 in the message file for %2."},
        {997, "ERROR_IO_PENDING: Overlapped I/O operation is in progress."},
        {1780, "RPC_X_NULL_REF_POINTER: A null reference pointer was passed to the stub."},
        {1793, "ERROR_ACCOUNT_EXPIRED: The user's account has expired."},
        {35, "35"},
        {10054, "10054"},
        {4294967295u, "4294967295"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SysErrorText(c.Code), c.Text) << c.Code;
}

TEST(SysErrorText, EveryNamedCodeHasNameAndPeriodRule)
{
    const std::set<std::uint32_t> withoutPeriod = {
        0,  1,  2,  3,  4,  5,  6,  7,   8,   9,   10,  11,  12,  13,  14,  15,  16,  17,
        18, 19, 20, 21, 22, 23, 24, 25,  26,  27,  28,  29,  30,  31,  32,  33,  36,  38,
        39, 50, 51, 83, 87, 88, 89, 100, 101, 234, 240, 254, 255, 259, 266, 267, 275, 276};
    auto rows = SysErrorRows();
    ASSERT_EQ(rows.size(), 226u);
    std::set<std::uint32_t> codes;
    for (const auto& row : rows) {
        codes.insert(row.Code);
        std::string text = SysErrorText(row.Code);
        std::string prefix = std::string(row.Name) + ": ";
        ASSERT_EQ(text.rfind(prefix, 0), 0u) << text;
        ASSERT_GT(text.size(), prefix.size() + 1) << text;
        EXPECT_EQ(text.back() == '.', withoutPeriod.count(row.Code) == 0) << text;
    }
    EXPECT_EQ(codes.size(), 226u);
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end(),
                               [](const auto& a, const auto& b) { return a.Code < b.Code; }));
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

namespace {
class TCounted : public TSynNus {
public:
    explicit TCounted(bool& destroyed) : Destroyed(destroyed) {}

protected:
    ~TCounted() override { Destroyed = true; }

private:
    bool& Destroyed;
};
}  // namespace

TEST(SynNus, LastReleaseDestroys)
{
    bool destroyed = false;
    auto* object = new TCounted(destroyed);
    object->AddRef();
    object->AddRef();
    object->Release();
    object->Release();
    EXPECT_FALSE(destroyed);
    object->Release();
    EXPECT_TRUE(destroyed);
}
