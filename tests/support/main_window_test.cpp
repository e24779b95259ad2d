#include "support/main_window_test.h"

#include "common/commands.h"
#include "forms/events.h"
#include "support/pixels.h"
#include "ui/dialogs/frm_copy.h"
#include "ui/dialogs/frm_rename.h"

namespace testsupport {

SavedEnvironment::SavedEnvironment()
    : appTitle_(Commands::AppTitle), crLf_(Commands::CrLf), startFile_(Commands::StartFile),
      tilesFolder_(Commands::TilesFolder), currentFolder_(Commands::CurrentFolder), currentFile_(Commands::CurrentFile)
{
    Commands::AppTitle = L"Brenwick Quadrino";
    Commands::CrLf = L"\r\n";
}

SavedEnvironment::~SavedEnvironment()
{
    Commands::AppTitle = appTitle_;
    Commands::CrLf = crLf_;
    Commands::StartFile = startFile_;
    Commands::TilesFolder = tilesFolder_;
    Commands::CurrentFolder = currentFolder_;
    Commands::CurrentFile = currentFile_;
}

void MainWindowTest::SetUp()
{
    Commands::TilesFolder = collection_.Path();
    Commands::CurrentFolder.clear();
    Commands::CurrentFile.clear();
    Prompter().Reset();
    MenuPresenter().Reset();
    FileDialogs().Reset();
    form_ = std::make_unique<ui::Form1>();
    ASSERT_TRUE(form_->Create());
    ui::SetMainForm(form_.get());
    form_->Show();
    forms::DoEvents();
    // Tests drive the delayed redraw themselves unless they start the timer.
    form_->Timer1.Stop();
}

void MainWindowTest::TearDown()
{
    // A dialog left open by a failed check must not outlive the main window it points at.
    if (ui::CopyDialog().IsLoaded())
        ui::CopyDialog().Command1_Click();
    if (ui::RenameDialog().IsLoaded())
        ui::RenameDialog().Command1_Click();
    form_.reset();
    ui::SetMainForm(nullptr);
    forms::DoEvents();
    Prompter().Reset();
    MenuPresenter().Reset();
    FileDialogs().Reset();
}

std::wstring MainWindowTest::AddImage(const std::wstring& folder, const std::wstring& name, int width, int height,
                                      std::uint32_t seed)
{
    std::wstring path = folder;
    if (!path.empty() && path.back() != L'\\')
        path += L'\\';
    path += name;
    const std::wstring extended = path.rfind(L"\\\\?\\", 0) == 0 ? path : L"\\\\?\\" + path;
    EXPECT_TRUE(WriteFileBytes(extended, Bmp24(Pattern(width, height, seed))));
    return path;
}

void MainWindowTest::ShowFolder(const std::wstring& folder)
{
    ASSERT_TRUE(form_->Dir1.SetPath(WithoutBackslash(folder))) << "cannot show the folder";
    ASSERT_EQ(form_->File1.Path(), form_->Dir1.Path());
}

int MainWindowTest::IndexInFile1(const std::wstring& name) const
{
    for (int i = 0; i < form_->File1.ListCount(); ++i)
        if (form_->File1.List(i) == name)
            return i;
    return -1;
}

bool MainWindowTest::Select(const std::wstring& name)
{
    const int index = IndexInFile1(name);
    if (index < 0)
        return false;
    form_->File1.SetSelected(index);
    AwaitShown();
    return true;
}

bool AwaitShown(ui::Form1& form)
{
    const auto pending = [&form] {
        MSG queued;
        // A drop is handed on through the queue before it selects anything.
        return form.SelectionRunning() ||
               (form.IsLoaded() && PeekMessageW(&queued, form.Hwnd(), WM_APP, WM_APP + 0x3f, PM_NOREMOVE));
    };
    for (int round = 0; round < 1000 && pending(); ++round) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        forms::DoEvents();
    }
    return !pending();
}

}  // namespace testsupport
