#include <gtest/gtest.h>

#include <cmath>

#include "common/commands.h"
#include "forms/form.h"

using Commands::CenterPosition;

TEST(CenterPosition, CentresOnTheUpperPartOfTheScreen)
{
    const auto place = CenterPosition(400, 300, 100, 80);
    EXPECT_EQ(place.top, 87);  // 255 \ 2 - 80 \ 2
    EXPECT_EQ(place.left, 150);
}

TEST(CenterPosition, TooLargeFormsStartAtZero)
{
    const auto tall = CenterPosition(400, 300, 100, 260);  // 127 - 130
    EXPECT_EQ(tall.top, 0);
    EXPECT_EQ(tall.left, 150);
    const auto wide = CenterPosition(400, 300, 402, 80);  // 200 - 201
    EXPECT_EQ(wide.left, 0);
    EXPECT_EQ(wide.top, 87);
}

TEST(CenterPosition, RoundsHalvesToEvenBeforeDividing)
{
    EXPECT_EQ(CenterPosition(0, 10, 0, 0).top, 4);                // 8.5 rounds to 8
    EXPECT_EQ(CenterPosition(0, 30, 0, 0).top, 13);               // 25.5 rounds to 26
    EXPECT_EQ(CenterPosition(100, 0, 2.5, 0).left, 49);           // 2.5 rounds to 2
    EXPECT_EQ(CenterPosition(100, 0, 3.5, 0).left, 48);           // 3.5 rounds to 4
    EXPECT_EQ(CenterPosition(101, 0, 3, 0).left, 49);             // 101 \ 2 - 3 \ 2, remainders dropped
    EXPECT_EQ(CenterPosition(9600, 7200, 4800, 3600).top, 1260);  // 6120 \ 2 - 1800
}

namespace {

RECT MonitorOf(HWND hwnd)
{
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcMonitor;
}

class PlacementTest : public testing::Test {
protected:
    void SetUp() override
    {
        forms::FormStyle style;
        style.caption = L"Platzierung";
        style.clientWidthTwips = 3000;
        style.clientHeightTwips = 2000;
        ASSERT_TRUE(form_.Load(style));
    }
    forms::Form form_;
};

}  // namespace

TEST_F(PlacementTest, CenterFormPlacesTheFormOnItsMonitor)
{
    ASSERT_TRUE(form_.SetOuterSize(300, 200));
    Commands::CenterForm(form_);
    const RECT monitor = MonitorOf(form_.Hwnd());
    const long width = monitor.right - monitor.left;
    const long height = monitor.bottom - monitor.top;
    const forms::Bounds bounds = form_.GetBounds();
    EXPECT_EQ(bounds.left, monitor.left + width / 2 - 150);
    EXPECT_EQ(bounds.top, monitor.top + std::lrint(height * 0.85) / 2 - 100);
    EXPECT_EQ(bounds.width, 300);
    EXPECT_EQ(bounds.height, 200);
}

TEST_F(PlacementTest, CenterFormKeepsALargeFormOnScreen)
{
    const RECT monitor = MonitorOf(form_.Hwnd());
    const int width = monitor.right - monitor.left + 40;
    const int height = monitor.bottom - monitor.top;
    ASSERT_TRUE(form_.SetBounds({monitor.left + 5, monitor.top + 5, width, height}));
    Commands::CenterForm(form_);
    const forms::Bounds bounds = form_.GetBounds();
    EXPECT_EQ(bounds.left, monitor.left);
    EXPECT_EQ(bounds.top, monitor.top);
}

TEST_F(PlacementTest, TopMostRoutinesChangeOnlyTheStacking)
{
    ASSERT_TRUE(form_.SetBounds({20, 30, 300, 200}));
    const auto isTopMost = [this] { return (GetWindowLongW(form_.Hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
    ASSERT_FALSE(isTopMost());

    Commands::SetTopMost(form_);
    EXPECT_TRUE(isTopMost());
    Commands::SetAlwaysOnTop(form_, false);
    EXPECT_FALSE(isTopMost());
    Commands::SetAlwaysOnTop(form_, true);
    EXPECT_TRUE(isTopMost());

    const forms::Bounds bounds = form_.GetBounds();
    EXPECT_EQ(bounds.left, 20);
    EXPECT_EQ(bounds.top, 30);
    EXPECT_EQ(bounds.width, 300);
    EXPECT_EQ(bounds.height, 200);
}
