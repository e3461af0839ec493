// Multibyte comparisons and the string pool.
#include <gtest/gtest.h>

#include "host/PoolString.h"
#include "host/String.h"

namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

struct Comparison {
    const char* a;
    const char* b;
    int mbscmp;
    int mbsicmp;
};

TEST(MultibyteCompare, BytesAndAsciiOnlyFolding)
{
    const Comparison cases[] = {
        {"", "", 0, 0},
        {"pwr", "PWR", 1, 0},
        {"PwR", "pWr", -1, 0},
        {"A", "AB", -1, -1},
        {"b", "A", 1, 1},
        {"B", "a", -1, 1},
        // Bytes above 0x7F compare unsigned and are never folded.
        {"\xC3\xA9", "z", 1, 1},
        {"\xC3\x89", "\xC3\xA9", -1, -1},
        {"\xC9", "\xE9", -1, -1},
    };
    for (const Comparison& c : cases) {
        EXPECT_EQ(Sign(_mbscmp(c.a, c.b)), c.mbscmp) << c.a << " / " << c.b;
        EXPECT_EQ(Sign(_mbscmp(c.b, c.a)), -c.mbscmp) << c.a << " / " << c.b;
        EXPECT_EQ(Sign(_mbsicmp(c.a, c.b)), c.mbsicmp) << c.a << " / " << c.b;
        const auto* ua = reinterpret_cast<const unsigned char*>(c.a);
        const auto* ub = reinterpret_cast<const unsigned char*>(c.b);
        EXPECT_EQ(Sign(_mbscmp(ua, ub)), c.mbscmp);
        EXPECT_EQ(Sign(_mbsicmp(ua, ub)), c.mbsicmp);
    }
    // Ordered containers of CString follow the byte order.
    EXPECT_TRUE(CString("Z") < CString("a"));
}

TEST(StringPool, EmptyTextIsIndexZeroAndEqualTextsShareAnIndex)
{
    EXPECT_EQ(CPoolString().GetIndex(), 0);
    EXPECT_EQ(CPoolString("").GetIndex(), 0);
    EXPECT_STREQ(CPoolString().GetString(), "");

    const CPoolString a("pool-test-A");
    const CPoolString again(CString("pool-test-A"));
    const CPoolString lower("pool-test-a");
    EXPECT_GE(a.GetIndex(), 1);
    EXPECT_EQ(again.GetIndex(), a.GetIndex());
    EXPECT_NE(lower.GetIndex(), a.GetIndex());
    EXPECT_STREQ(CPoolStringStorage::GetString(a.GetIndex()), "pool-test-A");

    // Interning a known text adds nothing.
    const int count = CPoolStringStorage::GetCount();
    EXPECT_EQ(CPoolStringStorage::Intern("pool-test-a"), lower.GetIndex());
    EXPECT_EQ(CPoolStringStorage::GetCount(), count);
    // An index the pool never gave out reads as the empty text.
    EXPECT_STREQ(CPoolStringStorage::GetString(count), "");
    EXPECT_STREQ(CPoolStringStorage::GetString(-1), "");
}

}  // namespace
