#include "forms/dir_list.h"

#include <commctrl.h>

#include <algorithm>
#include <cwctype>

#include "forms/paths.h"
#include "forms/list_support.h"
#include "forms/raise.h"

namespace forms {

namespace {

using UniqueHpen = UniqueHandle<GdiObjectTraits<HPEN>>;

// The visible subfolders of a folder, sorted without regard to case; false when it cannot be read.
bool ReadSubfolders(const std::wstring& folder, std::vector<std::wstring>& names)
{
    names.clear();
    const std::wstring searchPattern = EveryEntryOf(folder);
    QuietErrorMode quiet;
    WIN32_FIND_DATAW data{};
    UniqueFind find(
        FindFirstFileExW(searchPattern.c_str(), FindExInfoBasic, &data, FindExSearchLimitToDirectories, nullptr, 0));
    if (!find)
        return FoundEmptyFolder(folder);
    do {
        const DWORD attributes = data.dwFileAttributes;
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_HIDDEN) ||
            (attributes & FILE_ATTRIBUTE_SYSTEM))
            continue;
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (FindNextFileW(find.get(), &data));
    std::sort(names.begin(), names.end(), NameLess);
    return true;
}

// The font the list box draws with: the one set on it, or the system font.
HFONT ListFont(HWND list)
{
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0));
    return font ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
}

int RowHeight(HWND list)
{
    WindowDc dc(list);
    if (!dc.get())
        return 16;
    SelectGuard select(dc.get(), ListFont(list));
    TEXTMETRICW metrics{};
    if (!GetTextMetricsW(dc.get(), &metrics))
        return 16;
    return std::max(12, static_cast<int>(metrics.tmHeight) + 2);
}

struct GlyphSize {
    int width;
    int height;
};

GlyphSize GlyphFor(int rowHeight)
{
    const int height = std::max(8, rowHeight - 4);
    return {height * 4 / 3, height};
}

// A folder drawn with GDI: a tab and a body, and for an open folder a front flap tilted forward.
void DrawFolder(HDC dc, int left, int top, GlyphSize size, bool open)
{
    const int w = size.width;
    const int h = size.height;
    UniqueHpen outline(CreatePen(PS_SOLID, 1, RGB(128, 96, 0)));
    UniqueHbrush back(CreateSolidBrush(RGB(230, 190, 70)));
    UniqueHbrush front(CreateSolidBrush(RGB(255, 225, 120)));
    SelectGuard pen(dc, outline.get());
    {
        SelectGuard brush(dc, back.get());
        const POINT tab[] = {
            {left, top + h / 5}, {left + w / 8, top}, {left + w * 3 / 8, top}, {left + w / 2, top + h / 5}};
        Polygon(dc, tab, 4);
        Rectangle(dc, left, top + h / 5, left + w, top + h);
    }
    SelectGuard brush(dc, front.get());
    if (open) {
        const POINT flap[] = {{left + w / 4, top + h * 2 / 5},
                              {left + w, top + h * 2 / 5},
                              {left + w * 3 / 4, top + h - 1},
                              {left, top + h - 1}};
        Polygon(dc, flap, 4);
    } else {
        Rectangle(dc, left, top + h * 2 / 5, left + w, top + h);
    }
}

}  // namespace

bool DirList::Create(HWND parent, const forms::Bounds& bounds)
{
    if (!CreateControl(L"LISTBOX", L"",
                       WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_OWNERDRAWFIXED |
                           LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                       WS_EX_CLIENTEDGE, parent, bounds))
        return false;
    // WM_MEASUREITEM comes while the window is being made, before this wrapper is attached to it.
    UpdateItemHeight();
    CreateTip();
    return true;
}

void DirList::CreateTip()
{
    tip_.reset(CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleW(nullptr),
                               nullptr));
    // Unowned: an owned tip would hold the main window back when it is made topmost (seen under Wine).
    if (!tip_)
        return;
    // One tool over the whole list; its text is asked for when it shows, for the entry under the pointer.
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = Hwnd();
    tool.uId = reinterpret_cast<UINT_PTR>(Hwnd());
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

DirList::Extent DirList::EntryExtent(HDC dc, int index, int rowHeight) const
{
    const Entry& entry = entries_[static_cast<size_t>(index)];
    const GlyphSize glyph = GlyphFor(rowHeight);
    const int indent = glyph.width * 2 / 3 + 2;
    const int textLeft = 2 + entry.level * indent + glyph.width + 3;
    SIZE size{};
    GetTextExtentPoint32W(dc, entry.label.c_str(), static_cast<int>(entry.label.size()), &size);
    return {textLeft, textLeft + static_cast<int>(size.cx) + 6};
}

void DirList::FitWidth(int current)
{
    HWND list = Hwnd();
    WindowDc dc(list);
    if (!list || !dc.get() || entries_.empty())
        return;
    SelectGuard font(dc.get(), ListFont(list));
    const int rowHeight = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    int widest = 0;
    for (int i = 0; i < ListCount(); ++i)
        widest = std::max(widest, EntryExtent(dc.get(), i, rowHeight).right);
    SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest), 0);

    // Deep folders: the list scrolls sideways so the current folder's name is in view.
    RECT client{};
    GetClientRect(list, &client);
    const Extent shown = EntryExtent(dc.get(), current, rowHeight);
    int position = 0;
    if (shown.right > client.right)
        position = std::min(shown.left - 2, shown.right - static_cast<int>(client.right));
    SendMessageW(list, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, std::max(position, 0)), 0);
}

std::wstring DirList::TipText(int index) const
{
    HWND list = Hwnd();
    WindowDc dc(list);
    if (!list || !dc.get() || index < 0 || index >= ListCount())
        return {};
    SelectGuard font(dc.get(), ListFont(list));
    const int rowHeight = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    const Extent extent = EntryExtent(dc.get(), index, rowHeight);
    RECT client{};
    GetClientRect(list, &client);
    const int scrolled = GetScrollPos(list, SB_HORZ);
    // Only a name that the list's edges cut off needs a tip.
    const bool cut = extent.left - scrolled < 0 || extent.right - scrolled > client.right;
    return cut ? entries_[static_cast<size_t>(index)].label : std::wstring();
}

bool DirList::SetPath(const std::wstring& path)
{
    std::wstring folder;
    std::vector<std::wstring> subfolders;
    if (!ListFolder(path, ReadSubfolders, folder, subfolders))
        return false;

    std::vector<Entry> entries;
    // The drive's root, then one open level per folder of the path.
    Entry root;
    root.path = folder.substr(0, 3);
    root.label = std::wstring(1, static_cast<wchar_t>(std::towlower(folder[0]))) + L":\\";
    root.open = true;
    entries.push_back(root);
    size_t start = 3;
    while (start < folder.size()) {
        size_t end = folder.find(L'\\', start);
        if (end == std::wstring::npos)
            end = folder.size();
        Entry level;
        level.path = folder.substr(0, end);
        level.label = folder.substr(start, end - start);
        level.level = static_cast<int>(entries.size());
        level.open = true;
        entries.push_back(level);
        start = end + 1;
    }
    const int current = static_cast<int>(entries.size()) - 1;
    const std::wstring prefix = folder.size() == 3 ? folder : folder + L'\\';
    for (const std::wstring& name : subfolders) {
        Entry sub;
        sub.path = prefix + name;
        sub.label = name;
        sub.level = current + 1;
        entries.push_back(sub);
    }

    const bool changed = folder != path_;
    path_ = folder;
    entries_ = std::move(entries);
    Fill(current);
    if (changed)
        Raise(onChange);
    return true;
}

int DirList::ListCount() const
{
    return static_cast<int>(entries_.size());
}

std::wstring DirList::List(int index) const
{
    if (index < 0 || index >= ListCount())
        return {};
    return entries_[static_cast<size_t>(index)].path;
}

std::wstring DirList::Label(int index) const
{
    if (index < 0 || index >= ListCount())
        return {};
    return entries_[static_cast<size_t>(index)].label;
}

int DirList::Level(int index) const
{
    if (index < 0 || index >= ListCount())
        return -1;
    return entries_[static_cast<size_t>(index)].level;
}

int DirList::ListIndex() const
{
    return static_cast<int>(SendMessageW(Hwnd(), LB_GETCURSEL, 0, 0));
}

void DirList::Fill(int current)
{
    HWND list = Hwnd();
    if (!list)
        return;
    FillListBox(
        list, entries_, [](const Entry& entry) -> const std::wstring& { return entry.label; }, current);
    // After the batch: only now do the scroll bars, and so the room for names, match the entries.
    FitWidth(current);
    InvalidateRect(list, nullptr, TRUE);
}

void DirList::OpenEntry(int index)
{
    if (index < 0 || index >= ListCount())
        return;
    // SetPath replaces the entries, so the path must not be read from them while it runs.
    const std::wstring target = entries_[static_cast<size_t>(index)].path;
    SetPath(target);
}

void DirList::UpdateItemHeight()
{
    if (Hwnd())
        SendMessageW(Hwnd(), LB_SETITEMHEIGHT, 0, MAKELPARAM(RowHeight(Hwnd()), 0));
}

bool DirList::OnCommand(WORD code)
{
    if (code != LBN_DBLCLK)
        return false;
    OpenEntry(ListIndex());
    return true;
}

bool DirList::OnMeasureItem(MEASUREITEMSTRUCT* item)
{
    item->itemHeight = static_cast<UINT>(RowHeight(Hwnd()));
    return true;
}

bool DirList::OnDrawItem(DRAWITEMSTRUCT* item)
{
    HDC dc = item->hDC;
    const RECT row = item->rcItem;
    if (item->itemID == static_cast<UINT>(-1)) {
        // An empty list still shows where the focus is.
        if (item->itemState & ODS_FOCUS)
            DrawFocusRect(dc, &row);
        return true;
    }
    const int index = static_cast<int>(item->itemID);
    if (index >= ListCount())
        return true;
    const Entry& entry = entries_[static_cast<size_t>(index)];
    const bool selected = (item->itemState & ODS_SELECTED) != 0;

    FillRect(dc, &row, GetSysColorBrush(COLOR_WINDOW));
    const GlyphSize glyph = GlyphFor(row.bottom - row.top);
    const int indent = glyph.width * 2 / 3 + 2;
    const int glyphLeft = row.left + 2 + entry.level * indent;
    DrawFolder(dc, glyphLeft, row.top + (row.bottom - row.top - glyph.height) / 2, glyph, entry.open);

    SelectGuard font(dc, ListFont(item->hwndItem));
    SIZE extent{};
    GetTextExtentPoint32W(dc, entry.label.c_str(), static_cast<int>(entry.label.size()), &extent);
    RECT text = row;
    text.left = glyphLeft + glyph.width + 3;
    // The whole name: the list scrolls sideways to it, and the drawing is clipped at the list's edge.
    text.right = text.left + extent.cx + 4;
    // Only the name is highlighted, as in the classic folder list.
    FillRect(dc, &text, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT label = text;
    label.left += 2;
    DrawTextW(dc, entry.label.c_str(), static_cast<int>(entry.label.size()), &label,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (item->itemState & ODS_FOCUS)
        DrawFocusRect(dc, &text);
    return true;
}

bool DirList::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (msg) {
    case WM_SETFONT:
        // Rows follow the font's height.
        result = CallDefault(msg, wParam, lParam);
        UpdateItemHeight();
        return true;
    case WM_GETDLGCODE:
        // Enter opens the highlighted folder even where a dialog manager would take it.
        result = CallDefault(msg, wParam, lParam);
        if (AsksForEnter(lParam))
            result |= DLGC_WANTMESSAGE;
        return true;
    case WM_DESTROY:
        // The tip has no owner to take it along: it goes with the list.
        tip_.reset();
        return false;
    case WM_MOUSEMOVE: {
        if (tip_) {
            MSG relayed{Hwnd(), msg, wParam, lParam, 0, {}};
            SendMessageW(tip_.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
            const LRESULT hit = SendMessageW(Hwnd(), LB_ITEMFROMPOINT, 0, lParam);
            const int item = HIWORD(hit) ? -1 : static_cast<int>(LOWORD(hit));
            // Another entry under the pointer: the tip is asked for its text afresh.
            if (item != tipItem_) {
                tipItem_ = item;
                SendMessageW(tip_.get(), TTM_POP, 0, 0);
            }
        }
        return false;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (!tip_ || !header || header->hwndFrom != tip_.get() || header->code != TTN_GETDISPINFOW)
            return false;
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
        tipText_ = TipText(tipItem_);
        info->lpszText = tipText_.data();
        result = 0;
        return true;
    }
    case WM_KEYDOWN:
        if (wParam != VK_RETURN)
            return false;
        OpenEntry(ListIndex());
        result = 0;
        return true;
    default: return false;
    }
}

}  // namespace forms
