#pragma once
// The common shape of the copy and the rename dialog: a name box with the extension fixed beside it,
// "Abbrechen" and "Übernehmen", and the way every use of such a dialog ends.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "forms/controls.h"
#include "forms/form.h"
#include "forms/handles.h"
#include "ui/dialogs/owned_dialog.h"

namespace ui {

// Where the controls of a name dialog stand, in twips of its client area.
struct NameDialogLayout {
    const wchar_t* caption;
    int clientWidth;
    int clientHeight;
    const wchar_t* label1Text;
    forms::Bounds label1;
    forms::Bounds text1;
    forms::Bounds label2;
    forms::Bounds command1;
    forms::Bounds command2;
};

class NameDialog : public OwnedDialog {
public:
    // Controls, in tab order; they exist while the window is loaded.
    forms::Label Label1;
    forms::TextBox Text1;
    forms::Label Label2;
    forms::Button Command1;
    forms::Button Command2;

    std::wstring FullPath;      // the file's full path, as given to Start
    std::wstring SourceFolder;  // its folder, ending in "\"
    std::wstring SourceFile;    // its name with extension

    // Event handlers, public so that tests can raise them as the user would.
    void Form_Load();
    void Text1_KeyPress(std::int16_t& keyCode);
    virtual void Command2_Click() = 0;  // "Übernehmen"
    void Command1_Click();              // "Abbrechen", also the close box, system menu and Alt+F4

protected:
    explicit NameDialog(const NameDialogLayout& layout);
    ~NameDialog() override;

    // Ends every use of the dialog: owner enabled, window unloaded, pending events handled, onClosed.
    void CloseDialog() { LeaveDialog(); }

    // Loads the window afresh with its design caption, controls and fonts, then runs Form_Load.
    bool LoadDialog();
    // Takes FullPath apart into SourceFolder and SourceFile, puts the base name into Text1 and
    // the extension with its dot into Label2.
    void FillFromFullPath();
    // The name the user chose: the text of Text1 followed by the extension in Label2.
    std::wstring ChosenName() const;
    // Selects the whole name for retyping and gives Text1 the focus.
    void SelectWholeName();
    // A name without a base ("" followed by the extension) is no name: the dialog stays for retyping.
    bool HasBaseName() const { return !Text1.Text().empty(); }

private:
    // Places the controls and sets their fonts for the window's present DPI.
    void ApplyDesignLayout();
    // Widens the extension label, or shrinks its font, until the whole extension shows.
    void FitExtensionLabel();
    void UnloadDialog() override;

    const NameDialogLayout& layout_;
    forms::UniqueHfont defaultFont_;
    forms::UniqueHfont textFont_;
    forms::UniqueHfont extensionFont_;
};

// Drops from pasted text every character that typing could not enter into a name box.
std::wstring FilterNameText(const std::wstring& text);

}  // namespace ui
