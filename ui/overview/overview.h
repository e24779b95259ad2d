#pragma once
// The overview: every picture of the main window's folder as a small 2 × 2 repeat with its seam,
// sortable, made on every core while both windows stay usable.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/combo_box.h"
#include "forms/controls.h"
#include "forms/form.h"
#include "forms/icon_list_view.h"
#include "ui/overview/overview_items.h"
#include "ui/overview/thumbnail_work.h"

namespace ui {

class Overview : public forms::Form {
public:
    Overview();
    ~Overview() override;

    // Shows the window "Übersicht – <folder>" over the folder's files `names` (in this order) with
    // `selected` selected, brought to the front; made on first use, owned by `owner`.
    // background (0x00RRGGBB) is what transparent pixels are laid over; each thumbnail shows `repeat`.
    void Open(HWND owner, const std::wstring& folder, const std::vector<std::wstring>& names,
              const std::wstring& selected, std::uint32_t background, imaging::Repeat repeat = {});
    // While open, shows another folder (the owner's list moved there).
    void FollowFolder(const std::wstring& folder, const std::vector<std::wstring>& names);
    bool IsOpen() const { return IsLoaded() && Visible(); }
    // Hides the window (it keeps its place and size) and drops the work still queued.
    void Close();

    // Raised with the file's name when an item is chosen.
    std::function<void(const std::wstring& name)> onChoose;

    // What the grid shows, by position in the shown order.
    int Count() const { return static_cast<int>(order_.size()); }
    std::wstring NameAt(int position) const;
    const TileFacts* FactsAt(int position) const;
    std::wstring TextAt(int position) const;
    // Items whose thumbnail and seam are known.
    int KnownCount() const { return known_; }
    SortKey Sort() const { return sort_; }
    // The thumbnails' side in pixels at the window's DPI.
    int Side() const;
    // Takes the workers' results now, as their posted message does.
    void TakeResults();
    // Workers, for measuring.
    const ThumbnailWork* Work() const { return work_.get(); }

    forms::Label lblSort;
    forms::ComboBox cboSort;
    forms::IconListView lvwTiles;

protected:
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool Make(HWND owner);
    void Form_Resize();
    void cboSort_Change();
    void lvwTiles_Choose(int position);
    void lvwTiles_ViewMoved();
    void DrawIcon(int position, HDC dc, const RECT& icon) const;
    void ShowFolder(const std::wstring& folder, const std::vector<std::wstring>& names, const std::wstring& selected);
    // Orders the items anew; the selected file stays selected.
    void Reorder();
    std::wstring PathOf(int index) const;

    ThumbnailCache cache_;
    std::unique_ptr<ThumbnailWork> work_;
    std::wstring folder_;
    std::vector<OverviewItem> items_;
    std::vector<int> order_;     // item index by position
    std::vector<int> position_;  // position by item index
    SortKey sort_ = SortKey::Name;
    unsigned generation_ = 0;
    int known_ = 0;
    std::uint32_t background_ = 0xFFFFFF;
    imaging::Repeat repeat_;  // what the cached thumbnails and seams show
    int side_ = 0;  // of the thumbnails in items_
};

}  // namespace ui
