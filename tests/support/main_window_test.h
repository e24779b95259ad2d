#pragma once
// A shown main window under test, with the program-wide variables it changes saved and restored.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "forms/events.h"
#include "support/pump.h"
#include "support/test_env.h"
#include "ui/main/form1.h"

namespace testsupport {

// Handles the window's events until the selection being decoded and any drop handed on have arrived
// and been applied (or about ten seconds went by); false when something is still pending.
bool AwaitShown(ui::Form1& form);

// Handles events for a fifth of a second: what was queued or posted meanwhile has been handled.
inline void Settle()
{
    const ULONGLONG end = GetTickCount64() + 200;
    while (GetTickCount64() < end) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        forms::DoEvents();
    }
}

// Keeps and restores the program-wide variables a test changes; sets the title and line break.
class SavedEnvironment {
public:
    SavedEnvironment();
    ~SavedEnvironment();
    SavedEnvironment(const SavedEnvironment&) = delete;
    SavedEnvironment& operator=(const SavedEnvironment&) = delete;

private:
    std::wstring appTitle_, crLf_, startFile_, tilesFolder_, currentFolder_, currentFile_;
};

// A shown main window with its timer stopped (tests drive the delayed redraw themselves), the
// collection folder in a fresh temporary folder, message boxes, menus and file dialogs scripted;
// dialogs left open are closed before the window goes.
class MainWindowTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes Bmp24(Pattern(...)) into the folder (any name, through "\\?\") and returns its full path.
    std::wstring AddImage(const std::wstring& folder, const std::wstring& name, int width, int height,
                          std::uint32_t seed);
    // Points the lists at the folder as the user would by choosing it in Dir1.
    void ShowFolder(const std::wstring& folder);
    // The index of a name in File1, or -1.
    int IndexInFile1(const std::wstring& name) const;
    // Selects the entry of that name as a click would and waits until it is shown; false when it is not listed.
    bool Select(const std::wstring& name);
    // Waits until the selection being decoded is shown (AwaitShown).
    void AwaitShown() { EXPECT_TRUE(testsupport::AwaitShown(*form_)); }

    SavedEnvironment saved_;
    std::unique_ptr<ui::Form1> form_;
    TempFolder images_;
    TempFolder collection_;
};

}  // namespace testsupport
