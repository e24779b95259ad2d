// "Nahtlos machen": the periodic component against decoding, the dialog's preview, and how the
// window answers while a 4096 x 4096 photo is repaired.

#include <windows.h>

#include <algorithm>
#include <optional>

#include "bench/bench_figures.h"
#include "bench/bench_support.h"
#include "common/commands.h"
#include "forms/events.h"
#include "forms/picture.h"
#include "forms/skip.h"
#include "imaging/repair.h"
#include "ui/dialogs/frm_repair.h"

namespace bench {

namespace {

std::wstring MadeJpeg(const Setup& setup, const wchar_t* name, int side)
{
    const std::wstring folder = setup.workFolder + L"repair";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\" + name;
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES && !WriteJpeg(path, side, side))
        return {};
    return path;
}

imaging::ConstPixels PixelsOf(const forms::Picture& picture)
{
    return {picture.Width(), picture.Height(), std::ptrdiff_t{picture.Width()} * 4, picture.Bits(), !picture.HasAlpha()};
}

constexpr double kGiveUpMs = 10000;

// Opens the dialog on the file as Strg+N does, and waits for its first result.
bool OpenDialog(BenchWindow& window, const std::wstring& path)
{
    ui::Form1& form = window.Form();
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    const std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
    if (!form.File1.SetPath(folder) || window.PointAt(name) < 0)
        return false;
    // The selection is decoded by a job: the dialog works on the picture once it is shown.
    SelectAndShow(form);
    form.mnuRepair_Click();
    return ui::RepairDialog().IsLoaded();
}

}  // namespace

std::vector<Figure> MeasureRepair(const Setup& setup)
{
    std::vector<Figure> figures;
    Figure speed{"repair 1024", 0, 4, ""};
    Figure preview{"repair preview ms", 0, 300, ""};
    Figure answer{"repair answer ms", 0, 100, ""};
    const std::wstring small = MadeJpeg(setup, L"foto1024.jpg", 1024);
    const std::wstring large = MadeJpeg(setup, L"foto4096.jpg", 4096);
    const std::optional<forms::Picture> photo = small.empty() ? std::nullopt : forms::LoadPicture(small);
    if (!photo || large.empty()) {
        speed.value = preview.value = answer.value = 1e9;
        speed.detail = preview.detail = answer.detail = "the photos could not be made";
        for (const Figure* figure : {&speed, &preview, &answer})
            Report(*figure);
        return {speed, preview, answer};
    }

    const Timing repair = Interleaved(
        setup.repetitions, [&] { forms::SkipIfFalse(imaging::PeriodicComponent(PixelsOf(*photo)).has_value(), L"repair"); },
        [&] { forms::SkipIfFalse(forms::LoadPicture(small).has_value(), L"decode"); });
    speed.value = repair.Ratio();
    speed.detail = FormatText("[method 1 %.1f ms, decoding the JPEG %.1f ms, 1024x1024]", repair.work, repair.reference);
    Report(speed);
    figures.push_back(speed);

    // From a change of method or overlap until the preview shows it.
    {
        BenchWindow window(setup.workFolder);
        ui::frmRepair& dialog = ui::RepairDialog();
        std::vector<double> waits;
        if (window.Ok() && OpenDialog(window, small) && PumpUntil([&] { return !dialog.Busy(); }, kGiveUpMs)) {
            ui::Form1& form = window.Form();
            for (int i = 0; i < setup.repetitions * 2; ++i) {
                const imaging::Image32* before = form.RepairPreview();
                const double start = NowMs();
                if (i % 2 == 0)
                    dialog.Option2.SetValue();
                else
                    dialog.Text1.SetNumber(20 + i);
                if (PumpUntil([&] { return !dialog.Busy() && form.RepairPreview() != before; }, kGiveUpMs))
                    waits.push_back(NowMs() - start);
            }
            dialog.Command2_Click();
        }
        preview.value = waits.empty() ? 1e9 : Fastest(waits);
        preview.detail = FormatText("[fastest of %d changes, slowest %.1f ms, 1024x1024]", static_cast<int>(waits.size()),
                                    waits.empty() ? 0.0 : *std::max_element(waits.begin(), waits.end()));
        Report(preview);
        figures.push_back(preview);
    }

    // Another thread asks the window for WM_NULL answers while the large photo is repaired.
    {
        BenchWindow window(setup.workFolder);
        ui::frmRepair& dialog = ui::RepairDialog();
        double longest = 0;
        int answers = 0;
        double repairMs = 0;
        if (window.Ok()) {
            const double start = NowMs();
            if (OpenDialog(window, large)) {
                Asker asker({window.Form().Hwnd()}, 5, 5000);
                PumpUntil([&] { return !dialog.Busy(); }, kGiveUpMs);
                repairMs = NowMs() - start;
                longest = asker.Finish();
                answers = asker.Answers();
                dialog.Command2_Click();
            }
        }
        answer.value = answers > 0 ? longest : 1e9;
        answer.detail = FormatText("[%d answers while opening and repairing 4096x4096 took %.0f ms]", answers, repairMs);
        Report(answer);
        figures.push_back(answer);
    }
    return figures;
}

}  // namespace bench
