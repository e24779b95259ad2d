#pragma once
// What the interactive figures share: the clock, interleaved timing, one copy of the preview as the
// reference, and the main window as the program opens it.

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_images.h"
#include "bench/bench_timing.h"
#include "forms/events.h"
#include "ui/main/form1.h"

namespace bench {

// printf-style text with values of any type the format names.
template <typename... Values>
std::string FormatText(const char* format, Values... values)
{
    char text[320] = {};
    std::snprintf(text, sizeof(text), format, values...);
    return text;
}

// Work and reference alternate, so a load on the machine weighs on both alike. `prepare` runs
// untimed before each pair, for work that must start from the same state every time.
template <typename Prepare, typename Work, typename Reference>
Timing InterleavedFrom(int repetitions, Prepare&& prepare, Work&& work, Reference&& reference)
{
    std::vector<double> works;
    std::vector<double> references;
    for (int i = 0; i < repetitions; ++i) {
        prepare();
        references.push_back(TimeMs(reference));
        works.push_back(TimeMs(work));
    }
    return {Fastest(works), Fastest(references)};
}

// Handles the window's events until done() holds, calling each() after every round and waiting at
// most waitMs for an event between rounds; false when giveUpMs went by first.
template <typename Done, typename Each>
bool PumpUntil(Done done, double giveUpMs, Each each, DWORD waitMs = 5)
{
    const double end = NowMs() + giveUpMs;
    while (!done()) {
        if (NowMs() > end)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, waitMs, QS_ALLINPUT);
        forms::DoEvents();
        each();
    }
    return true;
}
template <typename Done>
bool PumpUntil(Done done, double giveUpMs)
{
    return PumpUntil(done, giveUpMs, [] {});
}

// Another program asking windows something: WM_NULL to each in turn, then a pause, until Finish.
class Asker {
public:
    Asker(std::vector<HWND> windows, DWORD pauseMs, UINT timeoutMs = 60000);
    ~Asker();
    Asker(const Asker&) = delete;
    Asker& operator=(const Asker&) = delete;

    // Stops it, answering its last question meanwhile; the longest wait for an answer.
    double Finish();
    int Answers() const { return answers_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<bool> done_{false};
    std::atomic<double> longest_{0};
    std::atomic<int> answers_{0};
    std::thread thread_;  // last: it starts once the fields above are there
};

// One copy of the whole preview: the least any drawing of it can cost.
class PreviewCopy {
public:
    PreviewCopy(int width, int height) : width_(width), height_(height), from_(width, height), to_(width, height) {}
    void operator()() const;

private:
    int width_;
    int height_;
    Canvas from_;
    Canvas to_;
};

// The main window as the program opens it (Create, Show), its lists on a folder of its own; it may
// grow past this machine's screen, as it can on a larger monitor.
class BenchWindow {
public:
    explicit BenchWindow(const std::wstring& folder);
    ~BenchWindow();
    BenchWindow(const BenchWindow&) = delete;
    BenchWindow& operator=(const BenchWindow&) = delete;

    bool Ok() const { return ok_; }
    ui::Form1& Form() { return *form_; }
    // Sizes the window so that the layout rule gives the preview exactly this size.
    bool SizePreview(int width, int height);
    // Lets the delayed redraw of the last resize happen, as it would while the user pauses.
    void Settle();
    // Puts the selection on the file without raising a click; its index, or -1.
    int PointAt(const std::wstring& name);

private:
    std::unique_ptr<ui::Form1> form_;
    bool ok_ = false;
};

// Handles the window's events until the selection being decoded is shown, as the loop would.
void AwaitSelection(ui::Form1& form);
// A selection as the user makes it: the click, then the loop until its picture is shown.
inline void SelectAndShow(ui::Form1& form)
{
    form.File1_Click();
    AwaitSelection(form);
}

// The folder this program was started from, with a trailing backslash.
std::wstring ProgramFolder();

}  // namespace bench
