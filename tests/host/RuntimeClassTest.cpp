// Run-time class information: names, bases, IsKindOf and the checked downcast.
#include <gtest/gtest.h>

#include "host/Net.h"
#include "host/SubSheet.h"

namespace {

TEST(RuntimeClass, KindFollowsTheBaseChainOnly)
{
    CLayoutNet net("N");
    EXPECT_STREQ(net.GetRuntimeClass()->m_lpszClassName, "CLayoutNet");
    EXPECT_EQ(net.GetRuntimeClass()->m_pBaseClass, RUNTIME_CLASS(CNet));
    EXPECT_TRUE(net.IsKindOf(RUNTIME_CLASS(CLayoutNet)));
    EXPECT_TRUE(net.IsKindOf(RUNTIME_CLASS(CNet)));
    EXPECT_TRUE(net.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(net.IsKindOf(RUNTIME_CLASS(CNetPin)));
    EXPECT_FALSE(net.IsKindOf(nullptr));

    CNet plain("P");
    EXPECT_FALSE(plain.IsKindOf(RUNTIME_CLASS(CLayoutNet)));

    CDrwSubSheet schematic(LQ_DOCTYPE_SCHEMATIC);
    CLayoutSubSheet layout;
    EXPECT_FALSE(schematic.IsKindOf(RUNTIME_CLASS(CLayoutSubSheet)));
    EXPECT_TRUE(layout.IsKindOf(RUNTIME_CLASS(CDrwSubSheet)));
    EXPECT_EQ(RUNTIME_CLASS(CObject)->m_pBaseClass, nullptr);
}

TEST(RuntimeClass, DowncastAnswersNullForNullAndForOtherKinds)
{
    CLayoutNet layoutNet("N");
    CNet plain("P");
    CObject* asObject = &layoutNet;
    EXPECT_EQ(DYNAMIC_DOWNCAST(CLayoutNet, asObject), &layoutNet);
    EXPECT_EQ(DYNAMIC_DOWNCAST(CNet, asObject), &layoutNet);
    EXPECT_EQ(DYNAMIC_DOWNCAST(CLayoutNet, static_cast<CObject*>(&plain)), nullptr);
    EXPECT_EQ(DYNAMIC_DOWNCAST(CLayoutNet, static_cast<CObject*>(nullptr)), nullptr);
    const CObject* constObject = &layoutNet;
    EXPECT_EQ(AfxDynamicDownCast(RUNTIME_CLASS(CNet), constObject), constObject);
}

}  // namespace
