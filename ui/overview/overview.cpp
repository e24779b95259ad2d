#include "ui/overview/overview.h"

#include <algorithm>
#include <map>
#include <vector>

#include "forms/handles.h"
#include "forms/paths.h"
#include "forms/picture.h"
#include "forms/raise.h"
#include "forms/skip.h"

namespace ui {

namespace {

// Results are waiting in the workers' outbox.
constexpr UINT kMsgResults = WM_APP + 23;
constexpr int kThumbnailSide = 128;  // at 96 DPI
// Design places in twips.
constexpr int kMargin = 120;
constexpr int kLabelWidth = 1500;
constexpr int kComboWidth = 3000;
constexpr int kRowHeight = 315;
constexpr int kClientWidthTwips = 12000;
constexpr int kClientHeightTwips = 9000;

constexpr const wchar_t* kSortNames[] = {L"Name", L"Naht (nahtlose zuerst)", L"Größe (Pixel)"};

std::wstring WithBackslash(const std::wstring& folder)
{
    return !folder.empty() && folder.back() == L'\\' ? folder : folder + L'\\';
}

// Size and last write of every file in the folder, by upper-case name, from one listing.
std::map<std::wstring, FileStamp> StampsIn(const std::wstring& folder)
{
    std::map<std::wstring, FileStamp> stamps;
    WIN32_FIND_DATAW data{};
    const forms::UniqueFind find(FindFirstFileExW((WithBackslash(folder) + L"*").c_str(), FindExInfoBasic, &data,
                                                  FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!forms::SkipIfFalse(find ? TRUE : FALSE, L"list the overview's folder"))
        return stamps;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        stamps[forms::UpperCase(data.cFileName)] = {
            (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow,
            (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime};
    } while (FindNextFileW(find.get(), &data));
    return stamps;
}

}  // namespace

Overview::Overview() = default;

Overview::~Overview()
{
    // The workers end (each after the picture in hand) before the window and the items go.
    work_.reset();
}

int Overview::Side() const
{
    return MulDiv(kThumbnailSide, Dpi(), 96);
}

bool Overview::Make(HWND owner)
{
    if (IsLoaded())
        return true;
    forms::FormStyle style;
    style.caption = L"Übersicht";
    style.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    style.clientWidthTwips = kClientWidthTwips;
    style.clientHeightTwips = kClientHeightTwips;
    if (!Load(style))
        return false;
    // Owned: it stays above the main window and goes with it.
    SetWindowLongPtrW(Hwnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    const HWND window = Hwnd();
    const auto at = [this](int left, int top, int width, int height) {
        return forms::Bounds{TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height)};
    };
    lblSort.Create(window, L"Sortieren &nach:", at(kMargin, kMargin + 45, kLabelWidth, kRowHeight));
    cboSort.Create(window, at(kMargin + kLabelWidth, kMargin, kComboWidth, kRowHeight));
    for (const wchar_t* name : kSortNames)
        cboSort.AddItem(name);
    SendMessageW(cboSort.Hwnd(), CB_SETCURSEL, 0, 0);
    lvwTiles.Create(window, at(kMargin, 2 * kMargin + kRowHeight, 9000, 6000), Side());
    SetTabOrder({&lblSort, &cboSort, &lvwTiles});

    cboSort.onChange = [this] { cboSort_Change(); };
    lvwTiles.onText = [this](int position) { return TextAt(position); };
    lvwTiles.onDrawIcon = [this](int position, HDC dc, const RECT& icon) { DrawIcon(position, dc, icon); };
    lvwTiles.onChoose = [this](int position) { lvwTiles_Choose(position); };
    lvwTiles.onViewMoved = [this] { lvwTiles_ViewMoved(); };
    onResize = [this] { Form_Resize(); };
    onClose = [this] { Close(); };
    onDpiChanged = [this] {
        lvwTiles.SetIconSide(Side());
        Form_Resize();
    };
    onUnload = [this] {
        if (work_) {
            work_->SetReceiver(nullptr, 0);
            work_->Cancel();
        }
    };
    if (!work_)
        work_ = std::make_unique<ThumbnailWork>();
    work_->SetReceiver(window, kMsgResults);
    Form_Resize();
    return true;
}

void Overview::Open(HWND owner, const std::wstring& folder, const std::vector<std::wstring>& names,
                    const std::wstring& selected, std::uint32_t background, imaging::Repeat repeat)
{
    if (!Make(owner))
        return;
    background_ = background;
    // Thumbnails and seams of another repeat are of no use any more.
    if (repeat.kind != repeat_.kind || (!repeat.IsBlock() && repeat.n != repeat_.n))
        cache_ = ThumbnailCache();
    repeat_ = repeat;
    Show();
    ShowFolder(folder, names, selected);
    SetForegroundWindow(Hwnd());
    lvwTiles.SetFocus();
}

void Overview::FollowFolder(const std::wstring& folder, const std::vector<std::wstring>& names)
{
    if (IsOpen())
        ShowFolder(folder, names, L"");
}

void Overview::Close()
{
    if (work_)
        work_->Cancel();
    Hide();
    // The thumbnails stay in the cache; the window lets go of its folder.
    items_.clear();
    order_.clear();
    position_.clear();
    known_ = 0;
    folder_.clear();
    lvwTiles.SetCount(0);
}

void Overview::ShowFolder(const std::wstring& folder, const std::vector<std::wstring>& names,
                          const std::wstring& selected)
{
    folder_ = folder;
    SetCaption(L"Übersicht – " + folder);
    side_ = Side();
    const std::map<std::wstring, FileStamp> stamps = StampsIn(folder);
    items_.assign(names.size(), OverviewItem{});
    std::vector<bool> needed(names.size(), false);
    std::vector<std::wstring> paths(names.size());
    known_ = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        OverviewItem& item = items_[i];
        item.name = names[i];
        paths[i] = PathOf(static_cast<int>(i));
        if (const auto found = stamps.find(forms::UpperCase(names[i])); found != stamps.end())
            item.stamp = found->second;
        item.facts = cache_.Find(paths[i], item.stamp, side_);
        needed[i] = !item.facts;
        known_ += item.facts ? 1 : 0;
    }
    order_ = SortOrder(items_, sort_);
    position_.assign(order_.size(), 0);
    for (std::size_t p = 0; p < order_.size(); ++p)
        position_[static_cast<std::size_t>(order_[p])] = static_cast<int>(p);
    lvwTiles.SetCount(Count());
    int selectedPosition = -1;
    const std::wstring wanted = forms::UpperCase(selected);
    for (std::size_t i = 0; i < items_.size() && !wanted.empty(); ++i) {
        if (forms::UpperCase(items_[i].name) == wanted)
            selectedPosition = position_[i];
    }
    lvwTiles.SetSelected(selectedPosition);
    InvalidateRect(lvwTiles.Hwnd(), nullptr, FALSE);
    // The places and names are drawn before the workers start: they would take the cores from it.
    work_->Cancel();
    if (IsWindowVisible(Hwnd()))
        RedrawWindow(Hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    generation_ = work_->Start(std::move(paths), needed, side_, background_, repeat_);
    lvwTiles_ViewMoved();
}

std::wstring Overview::PathOf(int index) const
{
    return WithBackslash(folder_) + items_[static_cast<std::size_t>(index)].name;
}

std::wstring Overview::NameAt(int position) const
{
    if (position < 0 || position >= Count())
        return L"";
    return items_[static_cast<std::size_t>(order_[static_cast<std::size_t>(position)])].name;
}

const TileFacts* Overview::FactsAt(int position) const
{
    if (position < 0 || position >= Count())
        return nullptr;
    return items_[static_cast<std::size_t>(order_[static_cast<std::size_t>(position)])].facts.get();
}

std::wstring Overview::TextAt(int position) const
{
    const std::wstring seam = SeamLabel(FactsAt(position));
    return seam.empty() ? NameAt(position) : NameAt(position) + L"\n" + seam;
}

void Overview::TakeResults()
{
    if (!work_)
        return;
    bool changed = false;
    bool seen = false;
    const auto [first, last] = lvwTiles.VisibleRange();
    for (ThumbnailWork::Result& result : work_->TakeResults()) {
        if (result.generation != generation_ || result.index < 0 || result.index >= static_cast<int>(items_.size()))
            continue;
        OverviewItem& item = items_[static_cast<std::size_t>(result.index)];
        if (!item.facts)
            ++known_;
        item.facts = std::move(result.facts);
        cache_.Put(PathOf(result.index), item.stamp, item.facts);
        changed = true;
        const int position = position_[static_cast<std::size_t>(result.index)];
        seen = seen || (position >= first && position <= last);
    }
    if (!changed)
        return;
    // Sorted by a value: the newly known items move to their places, perhaps onto the screen.
    if (sort_ != SortKey::Name) {
        const auto onScreen = [&, first = first, last = last] {
            const int from = std::clamp(first, 0, Count());
            const int to = std::clamp(last + 1, from, Count());
            return std::vector<int>(order_.begin() + from, order_.begin() + to);
        };
        const std::vector<int> before = onScreen();
        Reorder();
        seen = seen || onScreen() != before;
    }
    // Drawing is the window thread's largest share of the work: the screen is drawn again only when
    // something on it changed.
    if (seen)
        InvalidateRect(lvwTiles.Hwnd(), nullptr, FALSE);
}

void Overview::Reorder()
{
    const int selected = lvwTiles.Selected();
    const int selectedItem = selected >= 0 && selected < Count() ? order_[static_cast<std::size_t>(selected)] : -1;
    order_ = SortOrder(items_, sort_);
    for (std::size_t p = 0; p < order_.size(); ++p)
        position_[static_cast<std::size_t>(order_[p])] = static_cast<int>(p);
    if (selectedItem >= 0 && position_[static_cast<std::size_t>(selectedItem)] != selected)
        lvwTiles.SetSelected(position_[static_cast<std::size_t>(selectedItem)]);
    lvwTiles_ViewMoved();
}

void Overview::cboSort_Change()
{
    const int index = cboSort.ListIndex();
    if (index < 0 || index > 2)
        return;
    sort_ = static_cast<SortKey>(index);
    Reorder();
    InvalidateRect(lvwTiles.Hwnd(), nullptr, FALSE);
}

void Overview::lvwTiles_Choose(int position)
{
    const std::wstring name = NameAt(position);
    if (!name.empty())
        forms::Raise(onChoose, name);
}

void Overview::lvwTiles_ViewMoved()
{
    if (!work_ || order_.empty())
        return;
    // The queue counts files in listed order; the screen shows them in the sorted one.
    const auto [first, last] = lvwTiles.VisibleRange();
    std::vector<int> visible;
    for (int p = std::max(first, 0); p <= last && p < Count(); ++p)
        visible.push_back(order_[static_cast<std::size_t>(p)]);
    work_->Prioritise(visible);
}

void Overview::DrawIcon(int position, HDC dc, const RECT& icon) const
{
    const TileFacts* facts = FactsAt(position);
    const int side = side_;
    const int left = icon.left + (icon.right - icon.left - side) / 2;
    const int top = icon.top + (icon.bottom - icon.top - side) / 2;
    if (facts && facts->readable && facts->thumbnail.width == side && facts->thumbnail.height == side) {
        const BITMAPINFO info = forms::TopDownDibInfo(side, side);
        SetDIBitsToDevice(dc, left, top, static_cast<DWORD>(side), static_cast<DWORD>(side), 0, 0, 0,
                          static_cast<UINT>(side), facts->thumbnail.pixels.data(), &info, DIB_RGB_COLORS);
        return;
    }
    // Not made yet: an empty frame. Not readable: a plain grey square.
    const RECT square{left, top, left + side, top + side};
    if (facts)
        FillRect(dc, &square, GetSysColorBrush(COLOR_BTNFACE));
    FrameRect(dc, &square, GetSysColorBrush(COLOR_BTNSHADOW));
}

void Overview::Form_Resize()
{
    const int margin = TwipsToPixels(kMargin);
    const int top = 2 * margin + TwipsToPixels(kRowHeight);
    lvwTiles.Move({margin, top, std::max(0, ClientWidth() - 2 * margin), std::max(0, ClientHeight() - top - margin)});
}

bool Overview::HandleMessage(UINT msg, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& result)
{
    if (msg != kMsgResults)
        return false;
    TakeResults();
    result = 0;
    return true;
}

}  // namespace ui
