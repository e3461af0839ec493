// Multibyte comparisons, the string pool, attribute lookup, and host events: raised at once in
// registration order, or posted and delivered by the host's loop.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/DrawObject.h"
#include "host/Events.h"
#include "host/PoolString.h"
#include "host/String.h"

namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

TEST(MultibyteCompare, BytesAndAsciiOnlyFolding)
{
    const struct {
        const char *a, *b;
        int mbscmp, mbsicmp;
    } cases[] = {
        {"", "", 0, 0},     {"pwr", "PWR", 1, 0}, {"PwR", "pWr", -1, 0}, {"A", "AB", -1, -1}, {"b", "A", 1, 1},
        {"B", "a", -1, 1},
        // Bytes above 0x7F compare unsigned and are never folded.
        {"\xC3\xA9", "z", 1, 1}, {"\xC3\x89", "\xC3\xA9", -1, -1}, {"\xC9", "\xE9", -1, -1},
    };
    for (const auto& c : cases) {
        const auto* ua = reinterpret_cast<const unsigned char*>(c.a);
        const auto* ub = reinterpret_cast<const unsigned char*>(c.b);
        EXPECT_EQ(Sign(_mbscmp(c.a, c.b)), c.mbscmp) << c.a << " / " << c.b;
        EXPECT_EQ(Sign(_mbscmp(c.b, c.a)), -c.mbscmp) << c.a << " / " << c.b;
        EXPECT_EQ(Sign(_mbsicmp(c.a, c.b)), c.mbsicmp) << c.a << " / " << c.b;
        EXPECT_EQ(Sign(_mbscmp(ua, ub)), c.mbscmp);
        EXPECT_EQ(Sign(_mbsicmp(ua, ub)), c.mbsicmp);
    }
    EXPECT_TRUE(CString("Z") < CString("a"));
}

TEST(StringPool, EmptyTextIsIndexZeroAndEqualTextsShareAnIndex)
{
    EXPECT_EQ(CPoolString("").GetIndex(), 0);
    const CPoolString a("pool-test-A"), lower("pool-test-a");
    EXPECT_GE(a.GetIndex(), 1);
    EXPECT_EQ(CPoolString(CString("pool-test-A")).GetIndex(), a.GetIndex());
    EXPECT_NE(lower.GetIndex(), a.GetIndex());
    EXPECT_STREQ(CPoolStringStorage::GetString(a.GetIndex()), "pool-test-A");
    // An index the pool never gave out reads as the empty text.
    EXPECT_STREQ(CPoolStringStorage::GetString(CPoolStringStorage::GetCount()), "");
    EXPECT_STREQ(CPoolStringStorage::GetString(-1), "");
}

// A lookup answers the first attribute of exactly that name, also among names that differ only
// in case or length, and after attributes before or after it were removed.
TEST(AttributeStore, FindAnswersTheFirstOfExactlyThatNameThroughRemovals)
{
    CDrawObject object;
    CAttributeStore* store = object.GetAttributes();
    CDrawAttribute* first = store->Add("LQ_PIN", "1");
    CDrawAttribute* folded = store->Add("lq_pin", "2");
    CDrawAttribute* longer = store->Add("LQ_PINTYPE", "PWR");
    CDrawAttribute* second = store->Add("LQ_PIN", "3");
    const struct {
        const char* name;
        CDrawAttribute* found;
    } before[] = {{"LQ_PIN", first}, {"lq_pin", folded}, {"LQ_PINTYPE", longer}, {"LQ_PINT", nullptr}, {"", nullptr}};
    for (const auto& c : before)
        EXPECT_EQ(store->Find(c.name), c.found) << c.name;
    EXPECT_EQ(store->Find(nullptr), nullptr);
    EXPECT_TRUE(store->Remove(folded));
    CDrawAttribute stranger("LQ_PIN", "4");  // in no store
    EXPECT_FALSE(store->Remove(&stranger));
    EXPECT_EQ(store->Find("LQ_PINTYPE"), longer);
    EXPECT_TRUE(store->Remove(first));
    EXPECT_EQ(store->Find("LQ_PIN"), second);
    EXPECT_EQ(store->Find("lq_pin"), nullptr);
    EXPECT_EQ(object.GetAttributeWithTag("LQ_PINTYPE"), longer);
    EXPECT_EQ(store->GetObjectCount(), 2);
}

using Calls = std::vector<std::string>;

Calls g_calls;

class Listener : public CObject {
public:
    Listener(const char* name, int result) : m_name(name), m_result(result) {}
    int OnEvent(UINT_PTR v1, LONG_PTR v2)
    {
        g_calls.push_back(m_name + std::to_string(v1) + std::to_string(v2));
        if (then)
            then();
        return m_result;
    }
    void On(CEventHandler& event)
    {
        event.AddCallBack(this, static_cast<EVENTCALLBACK>(&Listener::OnEvent), nullptr, nullptr);
    }
    std::function<void()> then;

private:
    std::string m_name;
    int m_result;
};

class Events : public ::testing::Test {
protected:
    void SetUp() override
    {
        AfxPumpEvents();
        g_calls.clear();
    }
    void TearDown() override { AfxPumpEvents(); }

    CEventHandler event{"EventTest"};
    CEventHandler second{"EventTest2"};
    Listener a{"a", 1}, b{"b", 2}, c{"c", 3}, d{"d", 4};
};

TEST_F(Events, RaiseCallsInOrderSkipsTheRemovedAndLetsAdditionsWaitForTheNext)
{
    EXPECT_EQ(event.Raise(9, 9), 0);
    a.On(event);
    b.On(event);
    c.On(event);
    a.then = [&] {
        event.RemoveAllCallBacks(&b);
        d.On(event);
    };
    c.then = [&] { event.RemoveAllCallBacks(&c); };
    // The answer is the last callback's.
    EXPECT_EQ(event.Raise(4, 5), 3);
    EXPECT_EQ(g_calls, (Calls{"a45", "c45"}));
    EXPECT_EQ(event.GetRaised().back(), (std::pair<UINT_PTR, LONG_PTR>(4, 5)));
    EXPECT_EQ(event.GetCallBackCount(), 2);

    a.then = nullptr;
    EXPECT_EQ(event.Raise(2, 0), 4);
    EXPECT_EQ(g_calls, (Calls{"a45", "c45", "a20", "d20"}));
}

TEST_F(Events, PostedEventsWaitForThePumpIncludingThosePostedWhileDelivering)
{
    a.On(event);
    b.On(second);
    a.then = [&] {
        if (g_calls.size() == 1)
            AfxPostEvent(&second, 7, 8);
    };
    AfxPostEvent(&event, 1, 2);
    AfxPostEvent(&event, 3, 4);
    EXPECT_TRUE(g_calls.empty());
    EXPECT_EQ(AfxGetPostedEventCount(), 2);
    EXPECT_EQ(AfxPumpEvents(), 3);
    EXPECT_EQ(g_calls, (Calls{"a12", "a34", "b78"}));
    EXPECT_EQ(AfxPumpEvents(), 0);
}

}  // namespace
