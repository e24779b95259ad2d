// Keyboard browsing: the Down key held over a folder of 4K JPEGs, as auto-repeat sends it.

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <functional>
#include <string>
#include <thread>

#include "bench/bench_interactive.h"
#include "bench/bench_support.h"
#include "common/commands.h"
#include "forms/events.h"

namespace bench {

namespace {

constexpr int kPresses = 30;
constexpr double kRepeatMs = 33;
constexpr int kPhotoWidth = 3840;
constexpr int kPhotoHeight = 2160;
constexpr UINT kDownScanCode = 0x50;
constexpr double kGiveUpMs = 30000;

std::wstring PhotoName(int index)
{
    wchar_t name[32] = {};
    std::swprintf(name, 32, L"foto%02d.jpg", index + 1);
    return name;
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The photo shown at the start and one for each key; written once through WIC, the others copies
// of it, so decoding costs the same for each.
bool PreparePhotos(const std::wstring& folder)
{
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring first = folder + L"\\" + PhotoName(0);
    if (!Exists(first) && !WriteJpeg(first, kPhotoWidth, kPhotoHeight))
        return false;
    for (int i = 1; i <= kPresses; ++i) {
        const std::wstring path = folder + L"\\" + PhotoName(i);
        if (!Exists(path) && !CopyFileW(first.c_str(), path.c_str(), TRUE))
            return false;
    }
    return true;
}

// The system sets a key's state as its message is taken from the queue; posted keys need it done here.
LRESULT CALLBACK KeyStateHook(int code, WPARAM removal, LPARAM lParam)
{
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && removal == PM_REMOVE && msg->wParam == VK_DOWN &&
        (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP)) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_DOWN] = msg->message == WM_KEYDOWN ? 0x80 : 0;
        SetKeyboardState(keys);
    }
    return CallNextHookEx(nullptr, code, removal, lParam);
}

struct Run {
    double afterLastKeyMs = -1;  // -1: the last picture never arrived
    double longestWaitMs = 0;
};

// The Down key held for kPresses keys on the message loop of the main window.
Run HoldDownKey(ui::Form1& form, const std::wstring& lastName)
{
    Run run;
    const HWND list = form.File1.Hwnd();
    const HWND window = form.Hwnd();
    const DWORD uiThread = GetCurrentThreadId();
    std::atomic<bool> lastPosted{false};
    std::atomic<bool> stop{false};
    double lastKeyAt = 0;
    DWORD clipboardAtLastKey = 0;

    // The last picture is done when a selection of it has put a new tiling on the clipboard.
    const auto checkDone = [&] {
        if (lastPosted && run.afterLastKeyMs < 0 && Commands::CurrentFile == lastName &&
            GetClipboardSequenceNumber() != clipboardAtLastKey && IsClipboardFormatAvailable(CF_BITMAP)) {
            run.afterLastKeyMs = NowMs() - lastKeyAt;
            PostQuitMessage(0);
        }
    };
    const std::function<void()> tick = form.Timer1.onTick;
    const std::function<void()> click = form.File1.onClick;
    form.Timer1.onTick = [&] {
        tick();
        checkDone();
    };
    form.File1.onClick = [&] {
        click();
        checkDone();
    };

    // The keyboard does not wait for the program: its keys follow the clock from another thread.
    std::thread keyboard([&] {
        const double start = NowMs();
        for (int i = 0; i < kPresses; ++i) {
            while (NowMs() < start + i * kRepeatMs)
                Sleep(1);
            const LPARAM repeat = i > 0 ? (LPARAM{1} << 30) : 0;
            if (i == kPresses - 1) {
                clipboardAtLastKey = GetClipboardSequenceNumber();
                lastKeyAt = NowMs();
                lastPosted = true;
            }
            PostMessageW(list, WM_KEYDOWN, VK_DOWN, 1 | (LPARAM{kDownScanCode} << 16) | repeat);
        }
        // Let go right after the last repeat.
        PostMessageW(list, WM_KEYUP, VK_DOWN,
                     1 | (LPARAM{kDownScanCode} << 16) | (LPARAM{1} << 30) | (LPARAM{1} << 31));
        while (!stop && NowMs() < start + kGiveUpMs)
            Sleep(5);
        if (!stop)
            PostThreadMessageW(uiThread, WM_QUIT, 0, 0);
    });
    // Another program asking the window something, every 10 ms.
    Asker asker({window}, 10, static_cast<UINT>(kGiveUpMs));
    const HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, KeyStateHook, nullptr, uiThread);
    forms::RunMessageLoop();
    stop = true;
    keyboard.join();
    run.longestWaitMs = asker.Finish();
    if (hook)
        UnhookWindowsHookEx(hook);
    form.Timer1.onTick = tick;
    form.File1.onClick = click;
    return run;
}

}  // namespace

std::vector<Figure> MeasureKeyboardBrowsing(const Setup& setup)
{
    const std::wstring folder = setup.workFolder + L"keyboard";
    Figure browsing{"keyboard browsing", 0, 1.5, ""};
    Figure answering{"keyboard answer ms", 0, 100, ""};
    if (!PreparePhotos(folder)) {
        browsing.value = answering.value = 99999;
        browsing.detail = answering.detail = "the 30 JPEGs could not be written";
        Report(browsing);
        Report(answering);
        return {browsing, answering};
    }
    BenchWindow window(folder);
    if (!window.Ok() || !window.SizePreview(1920, 1080) || window.PointAt(PhotoName(0)) < 0) {
        browsing.value = answering.value = 99999;
        browsing.detail = answering.detail = "the main window could not be set up";
        Report(browsing);
        Report(answering);
        return {browsing, answering};
    }
    ui::Form1& form = window.Form();
    const std::wstring lastName = PhotoName(kPresses);
    std::vector<double> keyboard;
    std::vector<double> selections;
    std::vector<double> waits;
    bool arrived = true;
    for (int i = 0; i < setup.repetitions; ++i) {
        window.PointAt(lastName);
        selections.push_back(TimeMs([&] { SelectAndShow(form); }));
        window.PointAt(PhotoName(0));
        SelectAndShow(form);
        form.File1.SetFocus();
        forms::DoEvents();
        const Run run = HoldDownKey(form, lastName);
        arrived = arrived && run.afterLastKeyMs >= 0 && form.File1.FileName() == lastName;
        keyboard.push_back(run.afterLastKeyMs);
        waits.push_back(run.longestWaitMs);
    }
    const Timing timing{Fastest(keyboard), Fastest(selections)};
    browsing.value = arrived ? timing.Ratio() : 99999;
    browsing.detail = FormatText("[last picture %.1f ms after the last key, one selection of it %.1f ms; %d keys every "
                                 "%.0f ms over 3840x2160 JPEGs, preview 1920x1080]",
                                 timing.work, timing.reference, kPresses, kRepeatMs);
    if (!arrived)
        browsing.detail += " the last picture did not arrive in every run";
    // The run least disturbed by other programs, as for the times; the worst run beside it.
    answering.value = Fastest(waits);
    answering.detail =
        FormatText("[longest wait for an answer to WM_NULL in the least disturbed run; %.1f ms in the worst run]",
                   *std::max_element(waits.begin(), waits.end()));
    Report(browsing);
    Report(answering);
    return {browsing, answering};
}

}  // namespace bench
