#include <gtest/gtest.h>

#include <windows.h>

#include "forms/controls.h"
#include "forms/form.h"

namespace {

forms::FormStyle DesignStyle()
{
    forms::FormStyle style;
    style.caption = L"Prüfform";
    style.clientWidthTwips = 3495;
    style.clientHeightTwips = 1380;
    return style;
}

TEST(Form, LoadsHiddenWithItsDesignClientSizeAtTheWindowsDpi)
{
    forms::Form form;
    int loads = 0;
    bool visibleDuringLoad = true;
    form.onLoad = [&] {
        ++loads;
        visibleDuringLoad = IsWindowVisible(form.Hwnd()) != FALSE;
    };
    ASSERT_TRUE(form.Load(DesignStyle()));
    EXPECT_EQ(loads, 1);
    EXPECT_FALSE(visibleDuringLoad);
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(form.Caption(), L"Prüfform");
    const int dpi = form.Dpi();
    EXPECT_EQ(form.ClientWidth(), MulDiv(3495, dpi, 1440));
    EXPECT_EQ(form.ClientHeight(), MulDiv(1380, dpi, 1440));
    if (dpi == 96) {
        EXPECT_EQ(form.ClientWidth(), 233);  // 3495 / 15
        EXPECT_EQ(form.ClientHeight(), 92);  // 1380 / 15
        EXPECT_DOUBLE_EQ(form.TwipsPerPixel(), 15.0);
    }
    EXPECT_GT(form.Width(), form.ClientWidth());  // frame and caption are outside
    // A second Load of a loaded form neither makes a window nor raises onLoad again.
    const HWND first = form.Hwnd();
    EXPECT_TRUE(form.Load(DesignStyle()));
    EXPECT_EQ(form.Hwnd(), first);
    EXPECT_EQ(loads, 1);
}

TEST(Form, DpiAwareWindowUsesTheScreensRealDpi)
{
    // The program's manifest makes it per-monitor aware; the test program has no manifest.
    const DPI_AWARENESS_CONTEXT previous = SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
    ASSERT_NE(previous, nullptr);
    int screenDpi = 0;
    {
        const HDC screen = GetDC(nullptr);
        screenDpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
    }
    forms::Form form;
    const bool loaded = form.Load(DesignStyle());
    SetThreadDpiAwarenessContext(previous);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(form.Dpi(), screenDpi);
    EXPECT_EQ(form.ClientWidth(), MulDiv(3495, screenDpi, 1440));
    EXPECT_EQ(form.ClientHeight(), MulDiv(1380, screenDpi, 1440));
    EXPECT_DOUBLE_EQ(form.TwipsPerPixel(), 1440.0 / screenDpi);
}

TEST(Form, ToolWindowStyleGetsTheSameClientSize)
{
    forms::Form form;
    forms::FormStyle style = DesignStyle();
    style.style = WS_CAPTION | WS_SYSMENU;
    style.exStyle = WS_EX_TOOLWINDOW;
    ASSERT_TRUE(form.Load(style));
    EXPECT_EQ(form.ClientWidth(), form.TwipsToPixels(3495));
    EXPECT_EQ(form.ClientHeight(), form.TwipsToPixels(1380));
}

TEST(Form, RaisesResizeOnSizeChangesAndOnTheFirstShowOnly)
{
    forms::Form form;
    int resizes = 0;
    form.onResize = [&] { ++resizes; };
    ASSERT_TRUE(form.Load(DesignStyle()));
    EXPECT_EQ(resizes, 0);  // making the window is not a resize
    ASSERT_TRUE(form.SetOuterSize(400, 300));
    EXPECT_GE(resizes, 1);
    EXPECT_EQ(form.Width(), 400);
    EXPECT_EQ(form.Height(), 300);
    const int beforeShow = resizes;
    form.Show();
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(resizes, beforeShow + 1);
    form.Hide();
    form.Show();
    EXPECT_EQ(resizes, beforeShow + 1);
    EXPECT_FALSE(form.SetOuterSize(-1, 300));
    EXPECT_EQ(form.Width(), 400);
}

TEST(Form, RefusesNewSizeWhileMinimized)
{
    forms::Form form;
    ASSERT_TRUE(form.Load(DesignStyle()));
    form.Show();
    ShowWindow(form.Hwnd(), SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(form.Hwnd()));
    EXPECT_FALSE(form.SetOuterSize(500, 400));
    EXPECT_FALSE(form.SetLeft(10));
    ShowWindow(form.Hwnd(), SW_RESTORE);
    EXPECT_TRUE(form.SetOuterSize(500, 400));
    EXPECT_TRUE(form.SetLeft(10));
    EXPECT_EQ(form.Left(), 10);
}

TEST(Form, UnloadDestroysTheWindowAndTheFormLoadsAgain)
{
    forms::Form form;
    int loads = 0;
    int unloads = 0;
    form.onLoad = [&] { ++loads; };
    form.onUnload = [&] { ++unloads; };
    ASSERT_TRUE(form.Load(DesignStyle()));
    forms::Button button;
    ASSERT_TRUE(button.Create(form.Hwnd(), L"OK", {4, 4, 60, 20}));
    const HWND first = form.Hwnd();
    form.Unload();
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(unloads, 1);
    // The button went with its parent; its wrapper lets go without touching a stale handle.
    EXPECT_FALSE(button.IsCreated());
    ASSERT_TRUE(form.Load(DesignStyle()));
    EXPECT_EQ(loads, 2);
    EXPECT_TRUE(IsWindow(form.Hwnd()));
    EXPECT_TRUE(button.Create(form.Hwnd(), L"OK", {4, 4, 60, 20}));
}

TEST(Form, CloseGoesToTheHandlerWhenOneIsSet)
{
    forms::Form form;
    int closes = 0;
    form.onClose = [&] { ++closes; };
    ASSERT_TRUE(form.Load(DesignStyle()));
    SendMessageW(form.Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(form.IsLoaded());
    form.onClose = [&] {
        ++closes;
        form.Unload();
    };
    SendMessageW(form.Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(closes, 2);
    EXPECT_FALSE(form.IsLoaded());
}

TEST(Form, CloseWithoutHandlerUnloads)
{
    forms::Form form;
    int unloads = 0;
    form.onUnload = [&] { ++unloads; };
    ASSERT_TRUE(form.Load(DesignStyle()));
    SendMessageW(form.Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_EQ(unloads, 1);
}

TEST(Form, DpiChangeTakesTheSuggestedPlaceThenTellsTheForm)
{
    forms::Form form;
    ASSERT_TRUE(form.Load(DesignStyle()));
    forms::Bounds seen;
    int changes = 0;
    form.onDpiChanged = [&] {
        ++changes;
        seen = form.GetBounds();
    };
    RECT suggested{40, 50, 40 + 360, 50 + 176};
    SendMessageW(form.Hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(seen.left, 40);
    EXPECT_EQ(seen.top, 50);
    EXPECT_EQ(seen.width, 360);
    EXPECT_EQ(seen.height, 176);
}

TEST(Form, EnabledFollowsTheWindow)
{
    forms::Form form;
    ASSERT_TRUE(form.Load(DesignStyle()));
    EXPECT_TRUE(form.Enabled());
    form.SetEnabled(false);
    EXPECT_FALSE(form.Enabled());
    EXPECT_FALSE(IsWindowEnabled(form.Hwnd()));
    form.SetEnabled(true);
    EXPECT_TRUE(form.Enabled());
}

TEST(Form, NewControlsTakeTheFormsDefaultFont)
{
    forms::Form form;
    ASSERT_TRUE(form.Load(DesignStyle()));
    const auto formFont = reinterpret_cast<HFONT>(SendMessageW(form.Hwnd(), WM_GETFONT, 0, 0));
    ASSERT_NE(formFont, nullptr);
    forms::Label label;
    ASSERT_TRUE(label.Create(form.Hwnd(), L"Text", {0, 0, 50, 20}));
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(label.Hwnd(), WM_GETFONT, 0, 0)), formFont);
}

TEST(Form, DestroyingTheObjectDoesNotRunItsHandlers)
{
    int unloads = 0;
    HWND hwnd = nullptr;
    {
        forms::Form form;
        form.onUnload = [&] { ++unloads; };
        ASSERT_TRUE(form.Load(DesignStyle()));
        hwnd = form.Hwnd();
    }
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(unloads, 0);
}

}  // namespace
