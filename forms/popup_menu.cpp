#include "forms/popup_menu.h"

#include "forms/raise.h"

namespace forms {

namespace {

class PlatformMenuPresenter : public MenuPresenter {
public:
    UINT Track(HMENU menu, HWND owner, POINT screenPoint) override
    {
        // Without the owner in front the menu would not close when the user clicks elsewhere.
        SetForegroundWindow(owner);
        const BOOL chosen = TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD, screenPoint.x,
                                           screenPoint.y, 0, owner, nullptr);
        PostMessageW(owner, WM_NULL, 0, 0);
        return static_cast<UINT>(chosen);
    }
};

MenuPresenter*& CurrentPresenter()
{
    static MenuPresenter* current = nullptr;
    return current;
}

}  // namespace

MenuPresenter& SystemMenuPresenter()
{
    static PlatformMenuPresenter presenter;
    return presenter;
}

void SetMenuPresenter(MenuPresenter* presenter)
{
    CurrentPresenter() = presenter;
}

PopupMenu::PopupMenu(std::vector<Item> items) : items_(std::move(items)) {}

void PopupMenu::Show(HWND owner)
{
    POINT point{};
    GetCursorPos(&point);
    ShowAt(owner, point);
}

void PopupMenu::ShowAt(HWND owner, POINT screenPoint)
{
    UINT chosen = 0;
    {
        UniqueHmenu menu(CreatePopupMenu());
        if (!menu)
            return;
        for (std::size_t i = 0; i < items_.size(); ++i) {
            // Command ids are the item's position plus one; 0 means nothing was chosen.
            if (items_[i].caption == L"-")
                AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
            else
                AppendMenuW(menu.get(), MF_STRING, i + 1, items_[i].caption.c_str());
        }
        MenuPresenter* presenter = CurrentPresenter();
        chosen = (presenter ? *presenter : SystemMenuPresenter()).Track(menu.get(), owner, screenPoint);
    }
    if (chosen == 0 || chosen > items_.size())
        return;
    // A copy, so the handler may change this menu's items while it runs.
    Raise(items_[chosen - 1].onClick);
}

}  // namespace forms
