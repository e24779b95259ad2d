#pragma once
// A popup menu whose items raise their own click events; shown through a replaceable presenter.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "forms/handles.h"

namespace forms {

class MenuPresenter {
public:
    virtual ~MenuPresenter() = default;
    // Shows the menu at the screen point and returns the chosen command id, or 0 for none.
    virtual UINT Track(HMENU menu, HWND owner, POINT screenPoint) = 0;
};

MenuPresenter& SystemMenuPresenter();             // TrackPopupMenu, left-aligned, left button
void SetMenuPresenter(MenuPresenter* presenter);  // tests; nullptr restores the system one

class PopupMenu {
public:
    struct Item {
        Item(std::wstring text, std::function<void()> handler = nullptr)
            : caption(std::move(text)), onClick(std::move(handler))
        {}
        // The marks an item can carry, set in the line that makes it.
        Item& Checked(bool on)
        {
            checked = on;
            return *this;
        }
        Item& RadioChecked(bool on)
        {
            radio = true;
            checked = on;
            return *this;
        }
        Item& Enabled(bool on)
        {
            enabled = on;
            return *this;
        }
        Item& Opens(std::vector<Item> items)
        {
            submenu = std::move(items);
            return *this;
        }

        std::wstring caption;  // "-" makes a separator; after a tab, the key written beside it
        std::function<void()> onClick;
        bool checked = false;  // a check mark, or with radio a dot
        bool radio = false;
        bool enabled = true;
        std::vector<Item> submenu;  // when not empty, the item opens these
    };

    PopupMenu() = default;
    explicit PopupMenu(std::vector<Item> items);

    std::size_t ItemCount() const { return items_.size(); }
    const std::wstring& Caption(std::size_t index) const { return items_[index].caption; }
    void SetOnClick(std::size_t index, std::function<void()> handler) { items_[index].onClick = std::move(handler); }

    // Shows the menu at the mouse pointer and raises the chosen item's onClick after it closes.
    void Show(HWND owner);
    // Shows the menu at a given screen point.
    void ShowAt(HWND owner, POINT screenPoint);

private:
    std::vector<Item> items_;
};

}  // namespace forms
