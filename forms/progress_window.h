#pragma once
// A small window that shows how far a job is: a bar, the percentage and "Abbrechen". It belongs to
// the window that started the job and leaves that window working; it appears only once the job has
// run for a moment, so quick work shows no flash of it.

#include <windows.h>

#include <functional>
#include <string>

#include "forms/controls.h"
#include "forms/form.h"
#include "forms/timer.h"

namespace forms {

class ProgressBar : public Control {
public:
    bool Create(HWND parent, const Bounds& bounds);
    void SetPercent(int percent);
    int Percent() const;
};

class ProgressWindow : public Form {
public:
    ProgressWindow() = default;
    ~ProgressWindow() override;

    // Makes the window titled `title` over `owner`; it reads `progress` (0 to 100) every tenth of a
    // second and shows itself after `showAfterMs`. False when it could not be made.
    bool Open(HWND owner, const std::wstring& title, std::function<int()> progress, UINT showAfterMs = 500);
    // Goes without raising onCancel.
    void Close();

    // "Abbrechen", Escape and the close box. The window stays until the owner closes it.
    std::function<void()> onCancel;

    // Controls, in tab order.
    ProgressBar Bar;
    Label Percent;   // "42 %"
    Button Command1;  // "Abbrechen"

    // Reads the progress now, as the next tick would.
    void Tick();

private:
    void Cancel();

    std::function<int()> progress_;
    Timer timer_;
    ULONGLONG showAt_ = 0;
};

}  // namespace forms
