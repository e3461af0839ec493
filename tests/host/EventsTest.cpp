// Host events: raised at once in registration order, or posted and delivered by the host's loop.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/Events.h"

namespace {
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
    void On(CEventHandler& event) { event.AddCallBack(this, static_cast<EVENTCALLBACK>(&Listener::OnEvent), nullptr, nullptr); }

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

TEST_F(Events, RaiseCallsInRegistrationOrderAndAnswersTheLastResult)
{
    EXPECT_EQ(event.Raise(9, 9), 0);
    a.On(event);
    b.On(event);
    c.On(event);
    EXPECT_EQ(event.Raise(4, 5), 3);
    EXPECT_EQ(g_calls, (Calls{"a45", "b45", "c45"}));
    EXPECT_EQ(event.GetRaised().back(), (std::pair<UINT_PTR, LONG_PTR>(4, 5)));
}

TEST_F(Events, RemovalDuringARaiseSkipsTheRemovedAndAdditionsWaitForTheNext)
{
    a.On(event);
    b.On(event);
    c.On(event);
    a.then = [&] {
        event.RemoveAllCallBacks(&b);
        d.On(event);
    };
    c.then = [&] { event.RemoveAllCallBacks(&c); };
    EXPECT_EQ(event.Raise(1, 0), 3);
    EXPECT_EQ(g_calls, (Calls{"a10", "c10"}));
    EXPECT_EQ(event.GetCallBackCount(), 2);

    a.then = nullptr;
    EXPECT_EQ(event.Raise(2, 0), 4);
    EXPECT_EQ(g_calls, (Calls{"a10", "c10", "a20", "d20"}));
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
