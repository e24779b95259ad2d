#pragma once
// frmSaveSize: "Kachelung speichern" asks for the size, in pixels, at which the tiling is saved.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "forms/controls.h"
#include "forms/form.h"
#include "ui/dialogs/owned_dialog.h"
#include "forms/handles.h"
#include "imaging/encode.h"

namespace ui {

// Sides accepted for a saved tiling, in pixels.
constexpr int kMinSavedSide = 1;
constexpr int kMaxSavedSide = imaging::kMaxOutputSide;
// The balloon of a box whose side was refused.
inline constexpr wchar_t kRefusalText[] = L"Bitte eine Zahl von 1 bis 30000 eingeben.";

class frmSaveSize : public OwnedDialog {
public:
    frmSaveSize();
    ~frmSaveSize() override;

    // Controls, in tab order; they exist while the window is loaded.
    forms::Label Label1;  // "Breite:"
    forms::TextBox Text1;
    forms::Label Label3;  // "Pixel"
    forms::Label Label2;  // "Höhe:"
    forms::TextBox Text2;
    forms::Label Label4;     // "Pixel"
    forms::Button Command1;  // "Abbrechen"
    forms::Button Command2;  // "Weiter"

    int ChosenWidth = 0;  // the sides of the last "Weiter", read after closing
    int ChosenHeight = 0;

    // Fills and shows the dialog with both sides and returns at once; the caller then disables the
    // main window. The focus is in "Breite:" with its text selected.
    void Start(int width, int height);

    // Event handlers, public so that tests can raise them as the user would.
    void Text_KeyPress(std::int16_t& keyCode);
    void Command1_Click();  // "Abbrechen", also Escape, the close box, system menu and Alt+F4
    void Command2_Click();  // "Weiter", also Enter

private:
    void ApplyDesignLayout();
    void UnloadDialog() override;
    // Selects the whole text of a box that holds no side in range and gives it the focus.
    static void SelectForRetyping(forms::TextBox& box);
    // The same after Enter, with a balloon that says why; the next key hides it.
    void Refuse(forms::TextBox& box);
    void HideRefusal();

    forms::UniqueHfont font_;
    forms::UniqueHwnd refusalTip_;
};

// The side a box holds: digits only, kMinSavedSide to kMaxSavedSide; nothing otherwise.
std::optional<int> ParseSide(const std::wstring& text);
// Drops from pasted text everything but digits.
std::wstring FilterDigits(const std::wstring& text);

// The one size dialog of the program, created on first use.
frmSaveSize& SaveSizeDialog();

}  // namespace ui
