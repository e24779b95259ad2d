// The figures of work off the window's thread: how long the window takes to answer while a large
// picture decodes or a large tiling is saved, and how soon a cancelled save has ended and cleaned up.
// These are times in milliseconds, not ratios: what the user waits for does not shrink on a fast machine.

#include <windows.h>


#include "bench/bench_figures.h"
#include "bench/bench_support.h"
#include "forms/events.h"

namespace bench {

namespace {

constexpr int kDecodeSide = 4096;
constexpr int kSaveSide = 30000;
constexpr double kAnswerTargetMs = 100;
constexpr double kCancelTargetMs = 500;
// How long the save runs before it is cancelled.
constexpr double kCancelAfterMs = 1500;

// Another thread asks the window with WM_NULL, one question after another, while `busy` holds (and,
// when given, until `untilMs`); the longest wait for an answer. The window's thread runs its message
// loop meanwhile, as the program does.
template <typename Busy>
double LongestAnswerMs(HWND window, Busy busy, double untilMs = 0)
{
    Asker asker({window}, 5, 10000);
    PumpUntil([&] { return !busy(); }, untilMs > 0 ? untilMs - NowMs() : 1e12, [] {}, 10);
    return asker.Finish();
}

bool NoFileLeft(const std::wstring& folder)
{
    WIN32_FIND_DATAW found{};
    const HANDLE find = FindFirstFileW((folder + L"*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return true;
    bool none = true;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            none = false;
    } while (none && FindNextFileW(find, &found));
    FindClose(find);
    return none;
}

}  // namespace

std::vector<Figure> MeasureJobs(const Setup& setup)
{
    Figure decode{"decode answer ms", 99999, kAnswerTargetMs, ""};
    Figure save{"save answer ms", 99999, kAnswerTargetMs, ""};
    Figure cancel{"cancel ms", 99999, kCancelTargetMs, ""};
    const std::wstring folder = setup.workFolder + L"jobs\\";
    const std::wstring outFolder = setup.workFolder + L"jobs-out\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW(outFolder.c_str(), nullptr);
    const std::wstring image = folder + L"gross4096.jpg";
    // The picture first: the window lists its folder when it opens.
    const bool written = WriteJpeg(image, kDecodeSide, kDecodeSide);
    BenchWindow window(folder);
    if (!written || !window.Ok() || window.PointAt(L"gross4096.jpg") < 0) {
        for (Figure* figure : {&decode, &save, &cancel}) {
            figure->detail = "the main window or its image could not be set up";
            Report(*figure);
        }
        return {decode, save, cancel};
    }
    ui::Form1& form = window.Form();
    SelectAndShow(form);

    // Decoding: the longest wait over several selections of the large JPEG.
    double decodeLongest = 0;
    double decodeMs = 0;
    for (int i = 0; i < std::max(3, setup.repetitions / 3); ++i) {
        const double start = NowMs();
        form.File1_Click();
        decodeLongest = std::max(decodeLongest, LongestAnswerMs(form.Hwnd(), [&] { return form.SelectionRunning(); }));
        decodeMs = NowMs() - start;
    }
    decode.value = decodeLongest;
    decode.detail = FormatText("[longest answer %.1f ms while a %dx%d JPEG decodes in %.0f ms]", decodeLongest,
                               kDecodeSide, kDecodeSide, decodeMs);
    Report(decode);

    // Saving: the whole 30000 x 30000 PNG, with the window answering throughout.
    const std::wstring target = outFolder + L"kachelung-30000.png";
    const double saveStart = NowMs();
    form.SaveTilingAs(target, imaging::ImageFormat::Png, kSaveSide, kSaveSide);
    const bool saving = form.SaveRunning();
    const double saveLongest = LongestAnswerMs(form.Hwnd(), [&] { return form.SaveRunning(); });
    const double saveMs = NowMs() - saveStart;
    const bool saved = GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES;
    DeleteFileW(target.c_str());
    save.value = saving && saved ? saveLongest : 99999;
    save.detail = FormatText("[longest answer %.1f ms while a %dx%d PNG is saved in %.1f s%s]", saveLongest, kSaveSide,
                             kSaveSide, saveMs / 1000, saved ? "" : "; no file came");
    Report(save);

    // Cancelling: the same save stopped after a while; done when its job has ended and no file is left.
    form.SaveTilingAs(target, imaging::ImageFormat::Png, kSaveSide, kSaveSide);
    LongestAnswerMs(form.Hwnd(), [&] { return form.SaveRunning(); }, NowMs() + kCancelAfterMs);
    const bool running = form.SaveRunning();
    const double cancelled = NowMs();
    form.CancelSave();
    PumpUntil([&] { return !form.SaveRunning() && NoFileLeft(outFolder); }, 10000, [] {}, 1);
    const double cancelMs = NowMs() - cancelled;
    const bool clean = !form.SaveRunning() && NoFileLeft(outFolder);
    cancel.value = running && clean ? cancelMs : 99999;
    cancel.detail = FormatText("[ended and cleaned up %.1f ms after the cancel%s]", cancelMs,
                               running ? (clean ? "" : "; a file was left") : "; the save had ended before");
    Report(cancel);
    DeleteFileW(image.c_str());
    RemoveDirectoryW(folder.c_str());
    RemoveDirectoryW(outFolder.c_str());
    return {decode, save, cancel};
}

}  // namespace bench
