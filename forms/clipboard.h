#pragma once
// The system clipboard: clear it, put a bitmap on it (format 2, CF_BITMAP), promise further formats.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace forms {

// Empties the clipboard and takes ownership of it for the given window. False when it is busy.
bool ClipboardClear(HWND owner);

// Puts a copy of the bitmap on the clipboard as CF_BITMAP; the caller keeps its bitmap.
// An owner that is a form of this thread keeps the copy and hands it over when a program asks for it;
// any other owner hands it over at once.
bool ClipboardSetBitmap(HWND owner, HBITMAP bitmap);

// The bytes of one further format, made only when a program asks for it; empty when they cannot be made.
using RenderBytes = std::function<std::vector<std::uint8_t>()>;
struct PromisedFormat {
    UINT format = 0;  // CF_DIBV5 or a registered format
    RenderBytes render;
};

// Adds formats to a clipboard the owner already holds (after ClipboardClear or ClipboardSetBitmap),
// next to what is there. Promised as the bitmap is: a form of this thread renders each when asked,
// keeping the function (and what it holds) until the clipboard is emptied or the window goes; any
// other owner renders them at once. False when the clipboard is not the owner's or a format failed.
bool ClipboardPromiseFormats(HWND owner, std::vector<PromisedFormat> formats);

// ClipboardSetBitmap for the top-left width x height pixels drawn in a DC, with further formats
// promised in the same opening of the clipboard. `unchanged` is the top-left part of the DC that is as
// it was at the last successful call for the same DC: the copy kept from then is not made again there.
bool ClipboardSetBitmap(HWND owner, HDC source, int width, int height, std::vector<PromisedFormat> more = {},
                        SIZE unchanged = {0, 0});

// A form's dispatch calls this first: it answers the clipboard's requests for what the window
// promised (WM_RENDERFORMAT, WM_RENDERALLFORMATS) and forgets the promise when the clipboard is
// emptied or the window goes. True when the message is answered with result.
bool HandleClipboardOwnerMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

}  // namespace forms
