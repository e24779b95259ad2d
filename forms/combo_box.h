#pragma once
// A drop-down list of fixed choices.

#include <windows.h>

#include <functional>
#include <string>

#include "forms/control.h"

namespace forms {

class ComboBox : public Control {
public:
    bool Create(HWND parent, const forms::Bounds& bounds);
    void AddItem(const std::wstring& text);
    int ListCount() const { return static_cast<int>(SendMessageW(Hwnd(), CB_GETCOUNT, 0, 0)); }
    int ListIndex() const { return static_cast<int>(SendMessageW(Hwnd(), CB_GETCURSEL, 0, 0)); }
    // Raises onChange when the choice changes.
    void SetListIndex(int index);

    std::function<void()> onChange;  // the user or the program chose another entry

protected:
    bool OnCommand(WORD code) override;
};

}  // namespace forms
