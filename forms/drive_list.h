#pragma once
// The drive list: each drive with its volume label, for example "c: [System]".

#include <windows.h>

#include <functional>
#include <string>

#include "forms/control.h"

namespace forms {

class DriveList : public Control {
public:
    bool Create(HWND parent, const forms::Bounds& bounds);

    // The selected drive's text, for example "c: [System]" ("c:" when the volume has no label).
    std::wstring Drive() const;
    // Selects the drive named by the first two characters of the text ("C:" or "c: [x]").
    // Raises onChange when the selection changed. False when there is no such drive.
    bool SetDrive(const std::wstring& text);
    void Refresh();  // re-reads the drives
    int ListCount() const;
    std::wstring List(int index) const;

    std::function<void()> onChange;

protected:
    bool OnCommand(WORD code) override;

private:
    int selected_ = -1;  // the entry last reported through onChange
};

}  // namespace forms
