#include <gtest/gtest.h>

#include <windows.h>

#include "forms/controls.h"
#include "forms/events.h"
#include "forms/form.h"

namespace {

forms::FormStyle SmallStyle(const wchar_t* caption)
{
    forms::FormStyle style;
    style.caption = caption;
    style.clientWidthTwips = 6000;
    style.clientHeightTwips = 4500;
    return style;
}

// Presses a key on the focused window the way the message loop sees it.
void PressKey(WPARAM key, bool shift = false)
{
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
    forms::DoEvents();
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
}

class TabOrderTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(form.Load(SmallStyle(L"Reihenfolge")));
        // Created in one order, tabbed in another.
        ASSERT_TRUE(first.Create(form.Hwnd(), L"Erster", {4, 4, 80, 24}));
        ASSERT_TRUE(frame.Create(form.Hwnd(), L"Rahmen", {4, 34, 200, 80}));
        ASSERT_TRUE(inner.Create(frame.Hwnd(), L"Innen", {8, 20, 80, 24}));
        ASSERT_TRUE(text.Create(form.Hwnd(), L"Text", {4, 120, 120, 20}));
        ASSERT_TRUE(last.Create(form.Hwnd(), L"Letzter", {4, 150, 80, 24}));
        form.SetTabOrder({&text, &frame, &inner, &last, &first});
        form.Show();
        SetForegroundWindow(form.Hwnd());
    }

    forms::Form form;
    forms::Button first;
    forms::Frame frame;
    forms::Button inner;
    forms::TextBox text;
    forms::Button last;
};

TEST_F(TabOrderTest, TabFollowsTheGivenOrderIntoTheFrameAndBack)
{
    text.SetFocus();
    ASSERT_TRUE(text.HasFocus());
    PressKey(VK_TAB);
    EXPECT_TRUE(inner.HasFocus());
    PressKey(VK_TAB);
    EXPECT_TRUE(last.HasFocus());
    PressKey(VK_TAB);
    EXPECT_TRUE(first.HasFocus());
    PressKey(VK_TAB);  // wraps round
    EXPECT_TRUE(text.HasFocus());
    PressKey(VK_TAB, true);
    EXPECT_TRUE(first.HasFocus());
    PressKey(VK_TAB, true);
    EXPECT_TRUE(last.HasFocus());
    PressKey(VK_TAB, true);
    EXPECT_TRUE(inner.HasFocus());
}

TEST_F(TabOrderTest, TabFromTheFormItselfReachesTheFirstControl)
{
    ::SetFocus(form.Hwnd());
    ASSERT_EQ(GetFocus(), form.Hwnd());
    PressKey(VK_TAB);
    EXPECT_TRUE(text.HasFocus());
}

TEST_F(TabOrderTest, EnterClicksTheFocusedButtonAndEscapeDoesNothing)
{
    int firstClicks = 0;
    int lastClicks = 0;
    first.onClick = [&] { ++firstClicks; };
    last.onClick = [&] { ++lastClicks; };
    first.SetFocus();
    PressKey(VK_RETURN);
    PressKey(VK_ESCAPE);
    EXPECT_EQ(firstClicks, 1);
    EXPECT_EQ(lastClicks, 0);
    EXPECT_TRUE(form.IsLoaded());
    EXPECT_TRUE(first.HasFocus());
}

TEST_F(TabOrderTest, DestroyingTheFocusedControlDoesNotFocusTheForm)
{
    int formFocus = 0;
    form.onGotFocus = [&] { ++formFocus; };
    last.SetFocus();
    last.Destroy();
    EXPECT_EQ(formFocus, 0);
    EXPECT_FALSE(last.IsCreated());
}

TEST_F(TabOrderTest, TabSkipsDisabledControls)
{
    text.SetFocus();
    inner.SetEnabled(false);
    PressKey(VK_TAB);
    EXPECT_TRUE(last.HasFocus());
}

TEST(FormFocus, ActivationGivesTheFocusBackToTheLastControl)
{
    forms::Form form;
    int formFocus = 0;
    form.onGotFocus = [&] { ++formFocus; };
    ASSERT_TRUE(form.Load(SmallStyle(L"Haupt")));
    forms::Button one;
    forms::Button two;
    ASSERT_TRUE(one.Create(form.Hwnd(), L"Eins", {4, 4, 80, 24}));
    ASSERT_TRUE(two.Create(form.Hwnd(), L"Zwei", {4, 34, 80, 24}));
    form.Show();
    SetActiveWindow(form.Hwnd());
    two.SetFocus();
    ASSERT_TRUE(two.HasFocus());
    const int focusBefore = formFocus;

    forms::Form other;
    ASSERT_TRUE(other.Load(SmallStyle(L"Anderes")));
    other.Show();
    SetActiveWindow(other.Hwnd());
    ASSERT_EQ(GetActiveWindow(), other.Hwnd());
    EXPECT_FALSE(two.HasFocus());

    SetActiveWindow(form.Hwnd());
    EXPECT_TRUE(two.HasFocus());
    EXPECT_EQ(formFocus, focusBefore);  // the form itself never had the focus in between
}

TEST(FormFocus, WindowWithoutFocusedControlTakesTheFocusItself)
{
    forms::Form form;
    int formFocus = 0;
    form.onGotFocus = [&] { ++formFocus; };
    ASSERT_TRUE(form.Load(SmallStyle(L"Leer")));
    form.Show();
    SetActiveWindow(form.Hwnd());
    EXPECT_EQ(GetFocus(), form.Hwnd());
    EXPECT_GE(formFocus, 1);
}

TEST(FormFocus, DisabledFormRefusesActivationUntilEnabled)
{
    forms::Form main;
    ASSERT_TRUE(main.Load(SmallStyle(L"Haupt")));
    forms::Button button;
    ASSERT_TRUE(button.Create(main.Hwnd(), L"Knopf", {4, 4, 80, 24}));
    main.Show();
    SetActiveWindow(main.Hwnd());
    button.SetFocus();

    forms::Form dialog;
    ASSERT_TRUE(dialog.Load(SmallStyle(L"Dialog")));
    dialog.Show();
    main.SetEnabled(false);
    EXPECT_FALSE(main.Enabled());
    // Closing the dialog after enabling the main window hands the activation back.
    main.SetEnabled(true);
    dialog.Unload();
    SetActiveWindow(main.Hwnd());
    EXPECT_TRUE(button.HasFocus());
}

}  // namespace
