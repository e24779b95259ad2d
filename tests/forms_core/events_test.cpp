#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "forms/controls.h"
#include "forms/events.h"
#include "forms/form.h"
#include "forms/timer.h"
#include "support/pump.h"

namespace {

constexpr UINT kPing = WM_APP + 17;

class CountingForm : public forms::Form {
public:
    CountingForm()
    {
        forms::FormStyle style;
        style.caption = L"Zähler";
        Load(style);
    }
    std::vector<WPARAM> pings;
    std::function<void(WPARAM)> onPing;

protected:
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) override
    {
        if (msg != kPing)
            return false;
        pings.push_back(wParam);
        if (onPing)
            onPing(wParam);
        result = 0;
        return true;
    }
};

TEST(Events, DoEventsHandlesEveryPostedMessageInOrder)
{
    CountingForm form;
    ASSERT_TRUE(form.IsLoaded());
    for (WPARAM i = 1; i <= 5; ++i)
        PostMessageW(form.Hwnd(), kPing, i, 0);
    forms::DoEvents();
    EXPECT_EQ(form.pings, (std::vector<WPARAM>{1, 2, 3, 4, 5}));
    MSG left;
    EXPECT_FALSE(PeekMessageW(&left, form.Hwnd(), kPing, kPing, PM_NOREMOVE));
}

TEST(Events, DoEventsInsideAHandlerRunsTheOthersFirst)
{
    CountingForm form;
    form.onPing = [&](WPARAM value) {
        if (value == 1) {
            PostMessageW(form.Hwnd(), kPing, 2, 0);
            forms::DoEvents();
            form.pings.push_back(100);  // after the nested message ran
        }
    };
    PostMessageW(form.Hwnd(), kPing, 1, 0);
    forms::DoEvents();
    EXPECT_EQ(form.pings, (std::vector<WPARAM>{1, 2, 100}));
}

TEST(Events, QuitMetInDoEventsIsKeptForTheMainLoop)
{
    CountingForm form;
    PostMessageW(form.Hwnd(), kPing, 1, 0);
    PostQuitMessage(7);
    forms::DoEvents();
    EXPECT_EQ(form.pings, (std::vector<WPARAM>{1}));
    // The main loop still ends with the code.
    EXPECT_EQ(forms::RunMessageLoop(), 7);
}

TEST(Events, MessageLoopRunsUntilQuit)
{
    CountingForm form;
    form.onPing = [&](WPARAM value) {
        if (value < 3)
            PostMessageW(form.Hwnd(), kPing, value + 1, 0);
        else
            PostQuitMessage(3);
    };
    PostMessageW(form.Hwnd(), kPing, 1, 0);
    EXPECT_EQ(forms::RunMessageLoop(), 3);
    EXPECT_EQ(form.pings, (std::vector<WPARAM>{1, 2, 3}));
}

TEST(Events, TimerTicksThroughDoEventsUntilStopped)
{
    CountingForm form;
    forms::Timer timer;
    forms::Timer other;
    int ticks = 0;
    int otherTicks = 0;
    timer.onTick = [&] {
        if (++ticks == 3)
            timer.Stop();  // stopping from inside its own tick
    };
    other.onTick = [&] { ++otherTicks; };
    ASSERT_TRUE(timer.Start(form.Hwnd(), 10));
    ASSERT_TRUE(other.Start(form.Hwnd(), 10));
    EXPECT_TRUE(timer.Enabled());
    EXPECT_TRUE(testsupport::PumpUntil([&] { return ticks >= 3 && otherTicks >= 3; }));
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(timer.Enabled());
    other.Stop();
    EXPECT_FALSE(timer.Start(form.Hwnd(), 0));  // an interval of 0 is a disabled timer
    EXPECT_FALSE(timer.Start(nullptr, 10));
}

TEST(Events, TimerDestroyedInItsOwnTickIsSafe)
{
    CountingForm form;
    auto timer = std::make_unique<forms::Timer>();
    bool ticked = false;
    timer->onTick = [&] {
        ticked = true;
        timer.reset();
    };
    ASSERT_TRUE(timer->Start(form.Hwnd(), 10));
    EXPECT_TRUE(testsupport::PumpUntil([&] { return ticked; }));
    EXPECT_EQ(timer, nullptr);
}

TEST(Events, DoEventsReturnsWhileATimerKeepsFiring)
{
    CountingForm form;
    forms::Timer timer;
    int ticks = 0;
    // A tick slower than the interval: the timer is always due again.
    timer.onTick = [&] {
        ++ticks;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 15, 0);
    };
    ASSERT_TRUE(timer.Start(form.Hwnd(), 1));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return ticks >= 1; }));
    const int before = ticks;
    forms::DoEvents();
    EXPECT_LE(ticks - before, 2);
}

}  // namespace
