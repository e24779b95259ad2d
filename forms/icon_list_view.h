#pragma once
// A virtual list view in icon mode: the owner gives each item's text and draws its icon on demand, so
// a list of many thousand items costs nothing until they are seen.

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <utility>

#include "forms/control.h"

namespace forms {

class IconListView : public Control {
public:
    ~IconListView() override;
    // Icons are iconSide pixels square.
    bool Create(HWND parent, const forms::Bounds& bounds, int iconSide);
    // Changes the icons' size (another DPI).
    void SetIconSide(int iconSide);

    void SetCount(int count);
    int Count() const { return static_cast<int>(SendMessageW(Hwnd(), LVM_GETITEMCOUNT, 0, 0)); }
    int Selected() const;  // -1 when none
    // Selects and focuses the item and scrolls it into view.
    void SetSelected(int index);
    // The first and last item at least partly on screen; last < first when none.
    std::pair<int, int> VisibleRange() const;
    // Draws the items again, e.g. after their texts or icons changed.
    void RedrawItems(int first, int last);

    std::function<std::wstring(int index)> onText;
    std::function<void(int index, HDC dc, const RECT& icon)> onDrawIcon;
    std::function<void(int index)> onChoose;  // Enter or a double click on an item
    std::function<void()> onViewMoved;        // scrolled, resized, or moved by a key

protected:
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    HIMAGELIST images_ = nullptr;  // only the icon size and an empty icon; destroyed with the control
    std::wstring text_;            // the text handed out last: it must live until the next request
};

}  // namespace forms
