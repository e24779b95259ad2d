#include "app/first_view.h"

#include <windows.h>

#include <memory>

#include "common/commands.h"
#include "forms/jobs.h"
#include "forms/skip.h"
#include "ui/main/form1.h"

namespace AppModul {

bool OpenFirstView(ui::Form1& form)
{
    using namespace Commands;
    // The first view reports nothing: a start file on a drive that is not ready just is not shown.
    const ui::Form1::QuietScope quiet(form);
    // The lists are filled once, below, with the start file's folder or the collection folder.
    if (!form.Create(false))
        return false;
    // Centred once more now that it is shown with its final frame.
    form.Show();
    CenterForm(form);
    // The first control in tab order has the focus, so coming back to the window returns it there.
    form.PicW.SetFocus();

    // Each assignment raises the lists' own change handling; the later explicit ones win.
    if (!StartFile.empty()) {
        const std::wstring folder = GetParentPath(StartFile);
        form.Drive1.SetDrive(StartFile.substr(0, 2));
        form.Dir1.SetPath(folder);
        form.File1.SetPath(folder);
        // Selecting it starts showing it; a file the list does not show is shown all the same, and
        // where it cannot be read the built-in tile stays. Either way it is decoded as a job, and a
        // selection the user makes meanwhile wins.
        SelectListEntry(form.File1, GetFileName(StartFile));
        if (!form.SelectionRunning())
            form.ShowFileAsJob(StartFile, true);
        return true;
    }
    form.Drive1.SetDrive(TilesFolder.substr(0, 2));
    form.Dir1.SetPath(TilesFolder);
    form.File1.SetPath(TilesFolder);
    TilePicture(form.PicW, form.PicM);
    form.RefreshView();
    form.CopyPreviewToClipboard();
    return true;
}

namespace {
// How long the end of the program waits for cancelled jobs to end.
constexpr DWORD kJobsEndMs = 3000;
// The main window lives until the program ends; EndProgram releases it while OLE is still up.
std::unique_ptr<ui::Form1> mainForm;
}  // namespace

bool FirstView()
{
    if (!mainForm)
        mainForm = std::make_unique<ui::Form1>();
    ui::SetMainForm(mainForm.get());
    // Closing the main window ends the program.
    mainForm->onUnload = [] {
        ui::SetMainForm(nullptr);
        PostQuitMessage(0);
    };
    return OpenFirstView(*mainForm);
}

void EndProgram()
{
    ui::SetMainForm(nullptr);
    mainForm.reset();
    // The window's jobs were cancelled with it; a save removes its temporary file before its thread ends.
    forms::SkipIfFalse(forms::EndJobs(kJobsEndMs), L"end the jobs");
}

}  // namespace AppModul
