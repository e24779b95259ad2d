#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "forms/controls.h"
#include "forms/form.h"
#include "forms/tool_tip.h"
#include "support/pump.h"

namespace {

// A loaded, hidden form that records WM_COMMAND messages no control took.
class HostForm : public forms::Form {
public:
    HostForm()
    {
        forms::FormStyle style;
        style.caption = L"Host";
        style.clientWidthTwips = 6000;
        style.clientHeightTwips = 4500;
        Load(style);
    }
    std::vector<WPARAM> strayCommands;

protected:
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) override
    {
        if (msg != WM_COMMAND)
            return false;
        strayCommands.push_back(wParam);
        result = 0;
        return true;
    }
};

TEST(Controls, ButtonClickIsReflectedToItsWrapper)
{
    HostForm form;
    ASSERT_TRUE(form.IsLoaded());
    forms::Button first;
    forms::Button second;
    ASSERT_TRUE(first.Create(form.Hwnd(), L"Abbrechen", {5, 5, 80, 24}));
    ASSERT_TRUE(second.Create(form.Hwnd(), L"Übernehmen", {90, 5, 80, 24}));
    int firstClicks = 0;
    int secondClicks = 0;
    first.onClick = [&] { ++firstClicks; };
    second.onClick = [&] { ++secondClicks; };
    SendMessageW(second.Hwnd(), BM_CLICK, 0, 0);
    EXPECT_EQ(firstClicks, 0);
    EXPECT_EQ(secondClicks, 1);
    EXPECT_EQ(second.Text(), L"Übernehmen");
    EXPECT_NE(GetDlgCtrlID(first.Hwnd()), GetDlgCtrlID(second.Hwnd()));
    EXPECT_EQ(forms::ControlFromHwnd(first.Hwnd()), &first);
    EXPECT_TRUE(form.strayCommands.empty());
}

TEST(Controls, ButtonHandlerMayUnloadTheForm)
{
    HostForm form;
    auto button = std::make_unique<forms::Button>();
    ASSERT_TRUE(button->Create(form.Hwnd(), L"Schließen", {5, 5, 80, 24}));
    button->onClick = [&] { form.Unload(); };
    SendMessageW(button->Hwnd(), BM_CLICK, 0, 0);
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_FALSE(button->IsCreated());
}

TEST(Controls, CheckBoxValueChangesRaiseClick)
{
    HostForm form;
    forms::CheckBox check;
    ASSERT_TRUE(check.Create(form.Hwnd(), L"always on top", {5, 5, 140, 20}));
    std::vector<int> valuesSeen;
    check.onClick = [&] { valuesSeen.push_back(check.Value()); };
    EXPECT_EQ(check.Value(), 0);
    check.SetValue(1);
    EXPECT_EQ(check.Value(), 1);
    check.SetValue(1);  // unchanged: no event
    check.SetValue(0);
    EXPECT_EQ(valuesSeen, (std::vector<int>{1, 0}));
    SendMessageW(check.Hwnd(), BM_CLICK, 0, 0);  // the user's click toggles first
    EXPECT_EQ(check.Value(), 1);
    EXPECT_EQ(valuesSeen, (std::vector<int>{1, 0, 1}));
}

TEST(Controls, FrameReflectsItsChildrenAndPassesOtherCommandsOn)
{
    HostForm form;
    forms::Frame frame;
    ASSERT_TRUE(frame.Create(form.Hwnd(), L"Tile Preview:", {8, 8, 181, 149}));
    EXPECT_TRUE(GetWindowLongW(frame.Hwnd(), GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
    EXPECT_EQ(frame.Text(), L"Tile Preview:");
    forms::Button inner;
    ASSERT_TRUE(inner.Create(frame.Hwnd(), L"Innen", {8, 16, 80, 24}));
    int clicks = 0;
    inner.onClick = [&] { ++clicks; };
    SendMessageW(inner.Hwnd(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(form.strayCommands.empty());
    // A command from a window no wrapper owns reaches the form.
    SendMessageW(frame.Hwnd(), WM_COMMAND, MAKEWPARAM(4711, BN_CLICKED), 0);
    ASSERT_EQ(form.strayCommands.size(), 1u);
    EXPECT_EQ(LOWORD(form.strayCommands[0]), 4711);
    // Children move with the frame: their bounds stay relative to it.
    ASSERT_TRUE(frame.Move({20, 30, 181, 149}));
    EXPECT_EQ(inner.Left(), 8);
    EXPECT_EQ(inner.Top(), 16);
    EXPECT_EQ(frame.Left(), 20);
    // The frame paints without failing once shown.
    form.Show();
    EXPECT_TRUE(UpdateWindow(frame.Hwnd()));
}

TEST(Controls, BoundsAndMoveWorkInTheContainersPixels)
{
    HostForm form;
    forms::Label label;
    ASSERT_TRUE(label.Create(form.Hwnd(), L"Eine Datei mit diesem Namen existiert bereits.", {4, 4, 217, 31}));
    EXPECT_EQ(label.Left(), 4);
    EXPECT_EQ(label.Width(), 217);
    EXPECT_TRUE(label.Move({10, 12, 100, 40}));
    const forms::Bounds bounds = label.GetBounds();
    EXPECT_EQ(bounds.left, 10);
    EXPECT_EQ(bounds.top, 12);
    EXPECT_EQ(bounds.width, 100);
    EXPECT_EQ(bounds.height, 40);
    EXPECT_FALSE(label.Move({10, 12, -5, 40}));
    EXPECT_EQ(label.Width(), 100);
    EXPECT_TRUE(label.Visible());  // its own flag, although the form is hidden
    label.SetVisible(false);
    EXPECT_FALSE(label.Visible());
    label.SetEnabled(false);
    EXPECT_FALSE(label.Enabled());
    label.Destroy();
    EXPECT_FALSE(label.IsCreated());
    EXPECT_FALSE(label.Move({0, 0, 10, 10}));
    EXPECT_EQ(label.Text(), L"");
}

TEST(Controls, ListBoxKeepsItsItemsInOrder)
{
    HostForm form;
    forms::ListBox list;
    ASSERT_TRUE(list.Create(form.Hwnd(), {690, 114, 69, 56}));
    EXPECT_EQ(list.ListCount(), 0);
    list.AddItem(L"C:\\b.bmp");
    list.AddItem(L"C:\\a.bmp");
    list.AddItem(L"");
    ASSERT_EQ(list.ListCount(), 3);
    EXPECT_EQ(list.List(0), L"C:\\b.bmp");  // not sorted
    EXPECT_EQ(list.List(1), L"C:\\a.bmp");
    EXPECT_EQ(list.List(2), L"");
    EXPECT_EQ(list.List(3), L"");
    EXPECT_EQ(list.List(-1), L"");
    list.Clear();
    EXPECT_EQ(list.ListCount(), 0);
}

TEST(Controls, MeasureItemReachesTheWrapperByItsId)
{
    struct MeasuredList : forms::Control {
        bool Create(HWND parent)
        {
            return CreateControl(L"LISTBOX", L"", WS_VISIBLE | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, 0, parent,
                                 {0, 0, 100, 100});
        }
        int measured = 0;
        bool OnMeasureItem(MEASUREITEMSTRUCT* item) override
        {
            ++measured;
            item->itemHeight = 23;
            return true;
        }
    };
    HostForm form;
    MeasuredList list;
    // The list asks for its item height while it is still being created.
    ASSERT_TRUE(list.Create(form.Hwnd()));
    EXPECT_GE(list.measured, 1);
    EXPECT_EQ(SendMessageW(list.Hwnd(), LB_GETITEMHEIGHT, 0, 0), 23);
}

}  // namespace

// The tooltip over a control learns of the pointer only through the messages the control's window hands it.
TEST(Controls, ToolTipShowsItsTextWhileThePointerRestsOnTheControl)
{
    HostForm form;
    ASSERT_TRUE(form.IsLoaded());
    form.Show();
    forms::Button button;
    ASSERT_TRUE(button.Create(form.Hwnd(), L"Kachel", {10, 10, 120, 60}));
    forms::ToolTip tips;
    ASSERT_TRUE(tips.SetText(button.Hwnd(), L"Naht: 3 %"));
    HWND tip = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM found) {
            wchar_t name[64] = {};
            GetClassNameW(hwnd, name, 64);
            if (std::wstring(name) == TOOLTIPS_CLASSW)
                *reinterpret_cast<HWND*>(found) = hwnd;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&tip));
    ASSERT_NE(tip, nullptr);
    SendMessageW(tip, TTM_SETDELAYTIME, TTDT_INITIAL, 1);

    POINT centre{60, 30};
    ClientToScreen(button.Hwnd(), &centre);
    ASSERT_TRUE(SetCursorPos(centre.x, centre.y));
    PostMessageW(button.Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(60, 30));
    EXPECT_TRUE(testsupport::PumpUntil([&] { return IsWindowVisible(tip) != FALSE; }));
    EXPECT_EQ(tips.Text(button.Hwnd()), L"Naht: 3 %");
}
