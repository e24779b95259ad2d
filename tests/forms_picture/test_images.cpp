#include "test_images.h"

#include <gtest/gtest.h>

#include "forms/control.h"
#include "support/test_env.h"

namespace picturetest {

namespace {

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (forms::ReflectToControl(msg, wParam, lParam, result))
        return result;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

bool WriteGif(const std::wstring& path, int width, int height, const std::vector<std::uint8_t>& indexes,
              const std::uint32_t (&palette)[4], int transparent)
{
    std::string out = "GIF89a";
    testsupport::AppendLe16(out, static_cast<unsigned>(width));
    testsupport::AppendLe16(out, static_cast<unsigned>(height));
    out += static_cast<char>(0xF1);  // global table of 4 entries
    out += '\0';
    out += '\0';
    for (std::uint32_t color : palette) {
        out += static_cast<char>((color >> 16) & 0xff);
        out += static_cast<char>((color >> 8) & 0xff);
        out += static_cast<char>(color & 0xff);
    }
    if (transparent >= 0) {
        out += "\x21\xF9\x04\x01";
        testsupport::AppendLe16(out, 0);
        out += static_cast<char>(transparent);
        out += '\0';
    }
    out += '\x2C';
    testsupport::AppendLe16(out, 0);
    testsupport::AppendLe16(out, 0);
    testsupport::AppendLe16(out, static_cast<unsigned>(width));
    testsupport::AppendLe16(out, static_cast<unsigned>(height));
    out += '\0';
    testsupport::AppendGifIndexes(out, indexes);
    out += '\x3B';
    return testsupport::WriteFileBytes(path, out);
}

HostWindow::HostWindow()
{
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = HostProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = L"QuadrinoPictureTestHost";
        return RegisterClassExW(&wc) != 0;
    }();
    if (registered)
        hwnd_.reset(CreateWindowExW(0, L"QuadrinoPictureTestHost", L"Host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                                    900, 700, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
}

void PumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void ExpectSameColours(const testsupport::Pixels& got, const testsupport::Pixels& want)
{
    ASSERT_EQ(got.width, want.width);
    ASSERT_EQ(got.height, want.height);
    for (size_t i = 0; i < want.argb.size(); ++i)
        ASSERT_EQ(got.argb[i] & 0xffffffu, want.argb[i] & 0xffffffu) << i;
}

}  // namespace picturetest
