#pragma once
// frmRepair: "Nahtlos machen" turns the shown picture into a seamless tile, previewed while it is open,
// and saves it beside the original.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "forms/controls.h"
#include "forms/handles.h"
#include "forms/jobs.h"
#include "forms/option_controls.h"
#include "forms/progress_window.h"
#include "imaging/pixels.h"
#include "imaging/repair.h"
#include "imaging/save.h"
#include "imaging/seam.h"
#include "ui/dialogs/owned_dialog.h"

namespace ui {

class frmRepair : public OwnedDialog {
public:
    frmRepair();
    ~frmRepair() override;

    // The picture to repair and where it lives; the owner keeps the pixels alive.
    struct Source {
        std::shared_ptr<const void> owner;
        imaging::ConstPixels pixels{};
        std::uint32_t background = 0;  // 0x00RRGGBB, for the seam measure
        std::wstring folder;           // with its backslash
        std::wstring fileName;
    };

    // Controls, in tab order; they exist while the window is loaded.
    forms::OptionButton Option1;  // "Ränder angleichen …"
    forms::OptionButton Option2;  // "Überlappung verschneiden …"
    forms::Label Label1;          // "Überlappung:"
    forms::NumberBox Text1;
    forms::Label Label2;     // "Pixel"
    forms::Label Label3;     // "Naht vorher … · nachher …"
    forms::Button Command1;  // "Speichern"
    forms::Button Command2;  // "Abbrechen"

    // Shows the dialog and starts the first repair; returns at once. The caller disables the owner.
    void Start(Source source);

    // Each new result for the preview, tiled by the owner until the dialog closes.
    std::function<void(std::shared_ptr<const imaging::Image32> result, bool opaque)> onPreview;
    // The name of the file "Speichern" wrote, read after an accepted close.
    std::wstring SavedName;

    imaging::RepairMethod Method() const;
    // A repair or a save runs.
    bool Busy() const;

    // Event handlers, public so that tests can raise them as the user would.
    void Option_Click();
    void Text1_Change();
    void Command1_Click();  // "Speichern", also Enter
    void Command2_Click();  // "Abbrechen", also Escape and the close box

private:
    void ApplyDesignLayout();
    void UnloadDialog() override;
    void StartRepair();
    void RepairDone(std::shared_ptr<const imaging::Image32> periodic, std::shared_ptr<const imaging::Image32> result,
                    imaging::SeamMeasure after);
    void StartSave();
    void SaveDone(const imaging::SaveResult& saved, const std::wstring& path);

    forms::UniqueHfont font_;
    Source source_;
    std::wstring before_;                                 // "19,47 (deutliche Naht)"
    std::shared_ptr<const imaging::Image32> periodic_;    // kept: the overlap cut starts from it
    std::shared_ptr<const imaging::Image32> result_;      // what "Speichern" writes
    forms::Job repairJob_;
    forms::Job saveJob_;
    forms::ProgressWindow progress_;
    bool saveWanted_ = false;  // "Speichern" came before the result
};

// The one repair dialog of the program, created on first use.
frmRepair& RepairDialog();

}  // namespace ui
