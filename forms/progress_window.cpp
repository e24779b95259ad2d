#include "forms/progress_window.h"

#include <commctrl.h>

#include <algorithm>

#include "forms/raise.h"

namespace forms {

namespace {

constexpr UINT kTickMs = 100;
constexpr WORD kKeyCancel = 1;

// Design positions in twips of the client area.
constexpr int kClientWidth = 4800;
constexpr int kClientHeight = 1320;
constexpr Bounds kBar{120, 180, 3720, 300};
constexpr Bounds kPercent{3960, 210, 720, 255};
constexpr Bounds kCommand1{3045, 720, 1635, 435};

}  // namespace

bool ProgressBar::Create(HWND parent, const Bounds& bounds)
{
    if (!CreateControl(PROGRESS_CLASSW, L"", WS_VISIBLE | PBS_SMOOTH, 0, parent, bounds))
        return false;
    SendMessageW(Hwnd(), PBM_SETRANGE32, 0, 100);
    return true;
}

void ProgressBar::SetPercent(int percent)
{
    SendMessageW(Hwnd(), PBM_SETPOS, static_cast<WPARAM>(std::clamp(percent, 0, 100)), 0);
}

int ProgressBar::Percent() const
{
    return Hwnd() ? static_cast<int>(SendMessageW(Hwnd(), PBM_GETPOS, 0, 0)) : 0;
}

ProgressWindow::~ProgressWindow()
{
    Close();
}

bool ProgressWindow::Open(HWND owner, const std::wstring& title, std::function<int()> progress, UINT showAfterMs)
{
    Close();
    FormStyle style;
    style.caption = title;
    style.style = kToolDialogStyle;
    style.exStyle = kToolDialogExStyle;
    style.clientWidthTwips = kClientWidth;
    style.clientHeightTwips = kClientHeight;
    style.owner = owner;
    if (!Load(style))
        return false;
    const auto at = [this](const Bounds& r) {
        return Bounds{TwipsToPixels(r.left), TwipsToPixels(r.top), TwipsToPixels(r.width), TwipsToPixels(r.height)};
    };
    const HWND window = Hwnd();
    Bar.Create(window, at(kBar));
    Percent.Create(window, L"0 %", at(kPercent));
    Command1.Create(window, L"Abbrechen", at(kCommand1));
    SetTabOrder({&Command1});
    Command1.onClick = [this] { Cancel(); };
    onClose = [this] { Cancel(); };
    SetAccelerators({{FVIRTKEY, VK_ESCAPE, kKeyCancel}});
    onAccelerator = [this](WORD id) {
        if (id == kKeyCancel)
            Cancel();
    };

    // Centred over its owner.
    RECT over{};
    if (owner && GetWindowRect(owner, &over)) {
        const Bounds bounds = GetBounds();
        SetBounds({(over.left + over.right - bounds.width) / 2, (over.top + over.bottom - bounds.height) / 2,
                   bounds.width, bounds.height});
    }
    progress_ = std::move(progress);
    showAt_ = GetTickCount64() + showAfterMs;
    timer_.onTick = [this] { Tick(); };
    timer_.Start(window, kTickMs);
    if (showAfterMs == 0)
        Tick();
    return true;
}

void ProgressWindow::Tick()
{
    if (!IsLoaded())
        return;
    const int percent = progress_ ? std::clamp(progress_(), 0, 100) : 0;
    if (Bar.Percent() != percent) {
        Bar.SetPercent(percent);
        Percent.SetText(std::to_wstring(percent) + L" %");
    }
    if (!Visible() && GetTickCount64() >= showAt_) {
        // Active, as the system's progress dialog is, so that Escape reaches it.
        Show();
        Command1.SetFocus();
    }
}

void ProgressWindow::Cancel()
{
    Command1.SetEnabled(false);
    Raise(onCancel);
}

void ProgressWindow::Close()
{
    timer_.Stop();
    timer_.onTick = nullptr;
    progress_ = nullptr;
    if (IsLoaded()) {
        // The owner gets the activation back rather than another program.
        const HWND owner = GetWindow(Hwnd(), GW_OWNER);
        const bool active = GetActiveWindow() == Hwnd();
        Command1.Destroy();
        Percent.Destroy();
        Bar.Destroy();
        Unload();
        if (active && owner && IsWindow(owner))
            SetActiveWindow(owner);
    }
}

}  // namespace forms
