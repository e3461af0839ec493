// The module's string table, cursors and toolbar bitmaps, as the host reads them.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "host/Extension.h"
#include "module/resources/ResourceTable.h"
#include "tests/support/ModuleFixture.h"

namespace {

const std::map<UINT, std::string>& ExpectedStrings()
{
    static const std::map<UINT, std::string> table = {
        {1, "选择想对换的管脚"},
        {2, "自动管脚和门对换"},
        {3, "选择你想要到对换的门"},
        {4, "移动元件时自动对换管脚和门"},
        {5, "当移动时自动对换管脚"},
        {6, "管脚和门对换"},
        {7, "管脚和门对换设置"},
        {8, "SwapSettings"},
        {9, "对换设置"},
        {10, "对换设置"},
        {11, "管脚和门对换设置"},
        {95, "0\\工具(&T)\\"},
        {61547, "工具"},
        {61548, "SwapPinTool"},
        {61549, "AutoQuillon"},
        {61550, "对换管脚"},
        {61551, "自动管脚和门对换"},
        {61552, "手动对换管脚"},
        {61553, "自动管脚和门对换"},
        {61554, "2\\自动门电路管脚对换(&A)"},
        {61555, "7\\对换管脚(&N)"},
        {61556, "SwapGateTool"},
        {61557, "对换门"},
        {61558, "手动对换门"},
        {61559, "8\\对换门(&G)"},
        {61560, "AutoQuillonTool"},
        {61561, "当移动时自动管脚和门对换"},
        {61562, "3\\在移动的时候自动管脚和门电路对换(&M)"},
        {61563, "当移动时自动管脚和门对换"},
        {61564, "AutoPinSwapTool"},
        {61565, "当移动时自动管脚对换"},
        {61566, "4\\在移动的时候自动管脚对换(&M)"},
        {61567, "当移动时自动管脚对换"},
        {61568, "管脚和门对换"},
        {61569, "选择管脚不能对换因为它不包含管脚组信息."},
        {61570, "选择管脚不能被对换."},
        {61804, "4\\设计(&D)\\"},
        {61805, "设计"},
        {61806, "选项"},
        {61807, "6\\属性(&O)\\"},
        {61808, "门不能对换"},
    };
    return table;
}

TEST(StringTable, HoldsExactlyTheExpectedTexts)
{
    const HINSTANCE h = lqtest::TestInstance();
    std::vector<UINT> expectedIds;
    for (const auto& [id, text] : ExpectedStrings()) {
        expectedIds.push_back(id);
        EXPECT_EQ(GetResourceString(h, id).str(), text) << id;
    }
    EXPECT_EQ(GetResourceStringIDs(h), expectedIds);
    EXPECT_TRUE(GetResourceString(h, 12).IsEmpty());
}

TEST(StringTable, IsSimplifiedChinese)
{
    const LQ_RESOURCE* table = AfxFindResource(lqtest::TestInstance(), RT_STRING, 1);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->wLanguage, 2052);
}

TEST(Images, CursorsAreMonochrome32By32WithTheHotSpotAtTheTopLeft)
{
    for (UINT id : {132u, 133u}) {
        LQ_IMAGEINFO info;
        ASSERT_TRUE(LQGetCursorInfo(LoadCursor(lqtest::TestInstance(), id), &info)) << id;
        EXPECT_EQ(info.nWidth, 32);
        EXPECT_EQ(info.nHeight, 32);
        EXPECT_EQ(info.nBitsPerPixel, 1);
        EXPECT_EQ(info.nHotSpotX, 0);
        EXPECT_EQ(info.nHotSpotY, 0);
    }
    EXPECT_EQ(LoadCursor(lqtest::TestInstance(), 134), nullptr);
}

TEST(Images, ToolbarBitmapsAre16By15AtFourBitsPerPixel)
{
    for (UINT id : {1102u, 1109u}) {
        LQ_IMAGEINFO info;
        ASSERT_TRUE(LQGetBitmapInfo(LoadBitmap(lqtest::TestInstance(), id), &info)) << id;
        EXPECT_EQ(info.nWidth, 16);
        EXPECT_EQ(info.nHeight, 15);
        EXPECT_EQ(info.nBitsPerPixel, 4);
    }
}

}  // namespace
