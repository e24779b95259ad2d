#pragma once
// What every dialog of the program shares: an owner disabled while it is up, and the way it ends.

#include <windows.h>

#include <functional>

#include "forms/form.h"
#include "forms/raise.h"

namespace ui {

class OwnedDialog : public forms::Form {
public:
    bool Accepted = false;  // whether the dialog's command was carried out

    // The window the caller disables while the dialog is up; the dialog enables it again when it closes.
    HWND Owner = nullptr;
    // Raised last by every close, once the owner is enabled and the dialog unloaded: the owner brings
    // itself up to date.
    std::function<void(bool accepted)> onClosed;

protected:
    // Destroys the controls and the window.
    virtual void UnloadDialog() = 0;

    // Ends the dialog: enables the owner, unloads the window, raises onClosed.
    void LeaveDialog()
    {
        // Enabled before the dialog goes, so the activation falls back onto the owner.
        if (Owner && IsWindow(Owner))
            EnableWindow(Owner, TRUE);
        UnloadDialog();
        // Through a copy: the handler may replace itself or end its owner.
        forms::Raise(onClosed, Accepted);
    }
};

}  // namespace ui
