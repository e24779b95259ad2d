#include "forms/controls.h"

#include <vector>

#include "forms/list_support.h"
#include "forms/raise.h"

namespace forms {

bool Label::Create(HWND parent, const std::wstring& caption, const forms::Bounds& bounds)
{
    return CreateControl(L"STATIC", caption, WS_VISIBLE | SS_LEFT, 0, parent, bounds);
}

bool Button::Create(HWND parent, const std::wstring& caption, const forms::Bounds& bounds)
{
    return CreateControl(L"BUTTON", caption, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, parent, bounds);
}

bool Button::OnCommand(WORD code)
{
    if (code != BN_CLICKED)
        return false;
    Raise(onClick);
    return true;
}

bool CheckBox::Create(HWND parent, const std::wstring& caption, const forms::Bounds& bounds)
{
    return CreateControl(L"BUTTON", caption, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, parent, bounds);
}

int CheckBox::Value() const
{
    return Hwnd() && SendMessageW(Hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void CheckBox::SetValue(int value)
{
    const int wanted = value != 0 ? 1 : 0;
    if (!Hwnd() || wanted == Value())
        return;
    SendMessageW(Hwnd(), BM_SETCHECK, wanted ? BST_CHECKED : BST_UNCHECKED, 0);
    // Changing the value in code counts as a click, as the user's change does.
    Raise(onClick);
}

bool CheckBox::OnCommand(WORD code)
{
    if (code != BN_CLICKED)
        return false;
    Raise(onClick);
    return true;
}

bool TextBox::Create(HWND parent, const std::wstring& text, const forms::Bounds& bounds)
{
    return CreateControl(L"EDIT", text, WS_VISIBLE | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, parent,
                         bounds);
}

int TextBox::SelStart() const
{
    DWORD start = 0;
    DWORD end = 0;
    if (Hwnd())
        SendMessageW(Hwnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(start);
}

int TextBox::SelLength() const
{
    DWORD start = 0;
    DWORD end = 0;
    if (Hwnd())
        SendMessageW(Hwnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end - start);
}

void TextBox::SetSelection(int start, int length)
{
    if (!Hwnd())
        return;
    SendMessageW(Hwnd(), EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(start + length));
    SendMessageW(Hwnd(), EM_SCROLLCARET, 0, 0);
}

namespace {

// The clipboard's Unicode text, or false when there is none or the clipboard is busy.
bool ReadClipboardText(HWND owner, std::wstring& text)
{
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT))
        return false;
    ClipboardSession session(owner);
    if (!session.IsOpen())
        return false;
    GlobalLockScope<const wchar_t> chars(GetClipboardData(CF_UNICODETEXT));
    if (!chars.get())
        return false;
    const SIZE_T capacity = chars.Size() / sizeof(wchar_t);
    SIZE_T length = 0;
    while (length < capacity && chars.get()[length] != L'\0')
        ++length;
    text.assign(chars.get(), length);
    return true;
}

}  // namespace

// The character codes of Enter and Escape as WM_CHAR brings them.
constexpr std::int16_t kCharEnter = L'\r';
constexpr std::int16_t kCharEscape = 0x1B;

bool TextBox::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (msg) {
    case WM_GETDLGCODE: {
        // Enter and Escape must reach the key handler instead of being taken by the dialog manager.
        result = CallDefault(msg, wParam, lParam);
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        if (key && (key->message == WM_KEYDOWN || key->message == WM_CHAR) &&
            (key->wParam == VK_RETURN || key->wParam == VK_ESCAPE))
            result |= DLGC_WANTMESSAGE;
        return true;
    }
    case WM_CHAR: {
        auto code = static_cast<std::int16_t>(static_cast<std::uint16_t>(wParam));
        const HWND self = Hwnd();
        Raise(onKeyPress, code);
        // The handler may have unloaded the form; then the edit control is gone.
        if (!self || Hwnd() != self || !IsWindow(self)) {
            result = 0;
            return true;
        }
        // Enter and Escape would only beep in a single-line box; a zeroed code is dropped.
        if (code == 0 || code == kCharEnter || code == kCharEscape) {
            result = 0;
            return true;
        }
        result = CallDefault(msg, static_cast<WPARAM>(static_cast<std::uint16_t>(code)), lParam);
        return true;
    }
    case WM_PASTE: {
        if (!onPaste)
            return false;
        std::wstring pasted;
        if (ReadClipboardText(Hwnd(), pasted)) {
            const HWND self = Hwnd();
            std::wstring text = Raise(onPaste, pasted);
            // A single-line box keeps only the first line, as its own paste does.
            const auto lineEnd = text.find_first_of(L"\r\n");
            if (lineEnd != std::wstring::npos)
                text.erase(lineEnd);
            if (self && Hwnd() == self && IsWindow(self))
                SendMessageW(self, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
        }
        result = 0;
        return true;
    }
    default: return false;
    }
}

namespace {

constexpr wchar_t kFrameClass[] = L"QuadrinoFrame";

bool RegisterFrameClass()
{
    // The wrapper's subclass does the work; the class only gives it a grey background.
    static const bool registered =
        RegisterWrapperClass(kFrameClass, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
    return registered;
}

}  // namespace

bool Frame::Create(HWND parent, const std::wstring& caption, const forms::Bounds& bounds)
{
    if (!RegisterFrameClass())
        return false;
    // WS_EX_CONTROLPARENT lets Tab walk into the frame's own controls.
    return CreateControl(kFrameClass, caption, WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, parent, bounds);
}

void Frame::Paint()
{
    const PaintScope paint(Hwnd());
    const HDC dc = paint.get();
    if (!dc)
        return;
    RECT client{};
    GetClientRect(Hwnd(), &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    {
        SelectGuard font(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        RECT edge = client;
        edge.top += metrics.tmHeight / 2;
        DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
        const std::wstring caption = Text();
        if (!caption.empty()) {
            const int inset = metrics.tmAveCharWidth;
            RECT text{client.left + inset, client.top, client.right - inset, client.top + metrics.tmHeight};
            DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
                      DT_SINGLELINE | DT_LEFT | DT_TOP | DT_CALCRECT);
            // A little background on both sides of the caption breaks the line cleanly.
            RECT gap = text;
            InflateRect(&gap, 2, 0);
            FillRect(dc, &gap, GetSysColorBrush(COLOR_BTNFACE));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(IsWindowEnabled(Hwnd()) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
            DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, DT_SINGLELINE | DT_LEFT | DT_TOP);
        }
    }
}

bool Frame::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (ReflectToControl(msg, wParam, lParam, result))
        return true;
    switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
        // Not from one of our wrappers: the form may still want it.
        result = SendMessageW(GetParent(Hwnd()), msg, wParam, lParam);
        return true;
    case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam))
            InvalidateRect(Hwnd(), nullptr, TRUE);
        result = 0;
        return true;
    case WM_GETFONT: result = reinterpret_cast<LRESULT>(font_); return true;
    case WM_SETTEXT:
    case WM_ENABLE:
        result = CallDefault(msg, wParam, lParam);
        InvalidateRect(Hwnd(), nullptr, TRUE);
        return true;
    case WM_PAINT:
        Paint();
        result = 0;
        return true;
    default: return false;
    }
}

bool ListBox::Create(HWND parent, const forms::Bounds& bounds)
{
    return CreateControl(L"LISTBOX", L"", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL, WS_EX_CLIENTEDGE, parent, bounds);
}

void ListBox::Clear()
{
    if (Hwnd())
        SendMessageW(Hwnd(), LB_RESETCONTENT, 0, 0);
}

void ListBox::AddItem(const std::wstring& text)
{
    if (Hwnd())
        SendMessageW(Hwnd(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

int ListBox::ListCount() const
{
    if (!Hwnd())
        return 0;
    const LRESULT count = SendMessageW(Hwnd(), LB_GETCOUNT, 0, 0);
    return count == LB_ERR ? 0 : static_cast<int>(count);
}

std::wstring ListBox::List(int index) const
{
    return ListBoxItem(Hwnd(), index);
}

}  // namespace forms
