#pragma once
// A shown main window under test, with the program-wide variables it changes saved and restored.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "support/test_env.h"
#include "ui/main/form1.h"

namespace testsupport {

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
// collection folder in a fresh temporary folder, message boxes and menus scripted; dialogs left
// open are closed before the window goes.
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
    // Selects the entry of that name as a click would; false when it is not listed.
    bool Select(const std::wstring& name);

    SavedEnvironment saved_;
    std::unique_ptr<ui::Form1> form_;
    TempFolder images_;
    TempFolder collection_;
};

}  // namespace testsupport
