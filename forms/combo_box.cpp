#include "forms/combo_box.h"

#include "forms/raise.h"

namespace forms {

bool ComboBox::Create(HWND parent, const forms::Bounds& bounds)
{
    // The window's height includes the dropped-down list.
    forms::Bounds withList = bounds;
    withList.height = bounds.height * 8;
    return CreateControl(L"COMBOBOX", L"", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, parent,
                         withList);
}

void ComboBox::AddItem(const std::wstring& text)
{
    SendMessageW(Hwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void ComboBox::SetListIndex(int index)
{
    if (index == ListIndex())
        return;
    SendMessageW(Hwnd(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    Raise(onChange);
}

bool ComboBox::OnCommand(WORD code)
{
    if (code != CBN_SELCHANGE)
        return false;
    Raise(onChange);
    return true;
}

}  // namespace forms
