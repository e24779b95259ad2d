// The overview of File1's folder beside the main window, and a file chosen in it.

#include "forms/paths.h"
#include "forms/skip.h"
#include "imaging/composite.h"
#include "ui/main/form1.h"
#include "ui/overview/overview.h"

namespace ui {

namespace {

std::vector<std::wstring> EntriesOf(const forms::FileList& list)
{
    std::vector<std::wstring> names;
    const int count = list.ListCount();
    names.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        names.push_back(list.List(i));
    return names;
}

}  // namespace

void Form1::mnuOverview_Click()
{
    if (!overview_) {
        overview_ = std::make_unique<Overview>();
        overview_->onChoose = [this](const std::wstring& name) { Overview_Choose(name); };
    }
    overview_->Open(Hwnd(), File1.Path(), EntriesOf(File1), File1.FileName(), imaging::FromColorref(PicM.BackColor()),
                    view_.repeat);
}

void Form1::Overview_Choose(const std::wstring& name)
{
    const std::wstring wanted = forms::UpperCase(name);
    const int count = File1.ListCount();
    for (int i = 0; i < count; ++i) {
        if (forms::UpperCase(File1.List(i)) == wanted) {
            // A selection by the program: File1_Click shows, tiles and copies it.
            File1.SetSelected(i);
            break;
        }
    }
    forms::SkipIfFalse(SetForegroundWindow(Hwnd()), L"bring the main window up");
}

void Form1::FollowFolderInOverview()
{
    if (overview_ && overview_->IsOpen())
        overview_->FollowFolder(File1.Path(), EntriesOf(File1));
}

}  // namespace ui
