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

PopupMenu::PopupMenu(std::vector<Item> items) : items_(std::move(items))
{}

void PopupMenu::Show(HWND owner)
{
    POINT point{};
    GetCursorPos(&point);
    ShowAt(owner, point);
}

namespace {

// Appends the items to the menu; command ids count up from next, and each chosen id finds its item.
bool AppendItems(HMENU menu, const std::vector<PopupMenu::Item>& items, UINT& next,
                 std::vector<const PopupMenu::Item*>& byId)
{
    for (const PopupMenu::Item& item : items) {
        if (item.caption == L"-") {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const UINT state = (item.checked ? MF_CHECKED : MF_UNCHECKED) | (item.enabled ? MF_ENABLED : MF_GRAYED);
        if (!item.submenu.empty()) {
            UniqueHmenu sub(CreatePopupMenu());
            if (!sub || !AppendItems(sub.get(), item.submenu, next, byId))
                return false;
            // The menu owns its submenu from here on.
            if (AppendMenuW(menu, MF_POPUP | state, reinterpret_cast<UINT_PTR>(sub.get()), item.caption.c_str()))
                sub.release();
            continue;
        }
        const UINT id = next++;
        byId.push_back(&item);
        AppendMenuW(menu, MF_STRING | state, id, item.caption.c_str());
        if (item.radio) {
            MENUITEMINFOW info{};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_FTYPE;
            info.fType = MFT_STRING | MFT_RADIOCHECK;
            SetMenuItemInfoW(menu, id, FALSE, &info);
        }
    }
    return true;
}

}  // namespace

void PopupMenu::ShowAt(HWND owner, POINT screenPoint)
{
    UINT chosen = 0;
    // Command ids are 1 and up in the order the items are added; 0 means nothing was chosen.
    std::vector<const Item*> byId;
    {
        UniqueHmenu menu(CreatePopupMenu());
        UINT next = 1;
        if (!menu || !AppendItems(menu.get(), items_, next, byId))
            return;
        MenuPresenter* presenter = CurrentPresenter();
        chosen = (presenter ? *presenter : SystemMenuPresenter()).Track(menu.get(), owner, screenPoint);
    }
    if (chosen == 0 || chosen > byId.size())
        return;
    // A copy, so the handler may change this menu's items while it runs.
    Raise(byId[chosen - 1]->onClick);
}

}  // namespace forms
