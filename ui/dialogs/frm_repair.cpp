// frmRepair: the seam repair dialog, its preview and its saving.

#include "ui/dialogs/frm_repair.h"

#include <initializer_list>
#include <utility>

#include "common/commands.h"
#include "forms/fonts.h"
#include "ui/dialogs/repair_saving.h"

namespace ui {

namespace {

// Design positions in twips of the client area.
constexpr int kClientWidth = 6060;
constexpr int kClientHeight = 2280;
constexpr forms::Bounds kOption1{120, 120, 5820, 285};
constexpr forms::Bounds kOption2{120, 465, 5820, 285};
constexpr forms::Bounds kLabel1{420, 885, 1200, 255};
constexpr forms::Bounds kText1{1680, 840, 1000, 315};
constexpr forms::Bounds kLabel2{2760, 885, 900, 255};
constexpr forms::Bounds kLabel3{120, 1305, 5820, 255};
constexpr forms::Bounds kCommand1{2640, 1740, 1635, 435};
constexpr forms::Bounds kCommand2{4320, 1740, 1635, 435};

constexpr WORD kKeySave = 1;
constexpr WORD kKeyCancel = 2;

// "1,04 (nahtlos)": the info line's words for a measure.
std::wstring SeamWords(const imaging::SeamMeasure& measure)
{
    const std::wstring line = imaging::SeamLine(1, 1, measure);
    const std::size_t at = line.find(L"Naht ");
    return at == std::wstring::npos ? line : line.substr(at + 5);
}

}  // namespace

frmRepair::frmRepair()
{
    onClose = [this] { Command2_Click(); };
}

frmRepair::~frmRepair()
{
    UnloadDialog();
}

void frmRepair::Start(Source source)
{
    UnloadDialog();
    Accepted = false;
    SavedName.clear();
    source_ = std::move(source);
    periodic_.reset();
    result_.reset();
    saveWanted_ = false;
    if (source_.pixels.Empty())
        return;
    forms::FormStyle style;
    style.caption = L"Nahtlos machen";
    style.style = forms::kToolDialogStyle;
    style.exStyle = forms::kToolDialogExStyle;
    style.clientWidthTwips = kClientWidth;
    style.clientHeightTwips = kClientHeight;
    if (!Load(style))
        return;

    const int width = source_.pixels.width;
    const int height = source_.pixels.height;
    const bool canCut = imaging::CanRepair(width, height, imaging::RepairMethod::CutOverlap);
    const HWND window = Hwnd();
    Option1.Create(window, L"Ränder &angleichen (Größe bleibt, alle Details bleiben)", {}, true);
    Option2.Create(window, L"Überlappung &verschneiden (Bild wird kleiner)", {}, false);
    Label1.Create(window, L"Überlappung:", {});
    Text1.Create(window, imaging::DefaultOverlap(width, height), imaging::kMinOverlap,
                 imaging::MaxOverlap(width, height), {});
    Label2.Create(window, L"Pixel", {});
    before_ = SeamWords(imaging::MeasureSeam(source_.pixels, source_.background));
    Label3.Create(window, L"Naht vorher " + before_ + L" · nachher …", {});
    Command1.Create(window, L"Speichern", {});
    Command2.Create(window, L"Abbrechen", {});
    ApplyDesignLayout();
    SetTabOrder({&Option1, &Option2, &Label1, &Text1, &Label2, &Label3, &Command1, &Command2});
    onDpiChanged = [this] { ApplyDesignLayout(); };
    SendMessageW(Option1.Hwnd(), BM_SETCHECK, BST_CHECKED, 0);
    Option2.SetEnabled(canCut);
    Text1.SetEnabled(canCut);

    Option1.onClick = [this] { Option_Click(); };
    Option2.onClick = [this] { Option_Click(); };
    Text1.onChange = [this] { Text1_Change(); };
    Command1.onClick = [this] { Command1_Click(); };
    Command2.onClick = [this] { Command2_Click(); };
    SetAccelerators({{FVIRTKEY, VK_RETURN, kKeySave}, {FVIRTKEY, VK_ESCAPE, kKeyCancel}});
    onAccelerator = [this](WORD id) {
        if (id == kKeySave)
            Command1_Click();
        else if (id == kKeyCancel)
            Command2_Click();
    };

    Commands::CenterForm(*this);
    Commands::SetTopMost(*this);
    Show();
    Option1.SetFocus();
    StartRepair();
}

imaging::RepairMethod frmRepair::Method() const
{
    return Option2.Value() ? imaging::RepairMethod::CutOverlap : imaging::RepairMethod::MatchEdges;
}

bool frmRepair::Busy() const
{
    return repairJob_.Running() || saveJob_.Running();
}

void frmRepair::Option_Click()
{
    StartRepair();
}

void frmRepair::Text1_Change()
{
    // A half-typed number waits for its next digit.
    if (Method() == imaging::RepairMethod::CutOverlap && Text1.Number())
        StartRepair();
}

void frmRepair::StartRepair()
{
    if (!IsLoaded())
        return;
    const imaging::RepairMethod method = Method();
    const int overlap = Text1.Number().value_or(imaging::DefaultOverlap(source_.pixels.width, source_.pixels.height));
    result_.reset();
    Label3.SetText(L"Naht vorher " + before_ + L" · nachher …");
    // The periodic component is made once; changes of the overlap only cut it anew.
    repairJob_ = forms::Job::Start(
        Hwnd(), [this, source = source_, periodic = periodic_, method, overlap](forms::JobContext& job) -> forms::JobResult {
            std::shared_ptr<const imaging::Image32> base = periodic;
            if (!base) {
                std::optional<imaging::Image32> made = imaging::PeriodicComponent(source.pixels, [&job](double done) {
                    job.SetProgress(static_cast<int>(done * 100.0));
                    return !job.Cancelled();
                });
                if (!made)
                    return {};
                base = std::make_shared<const imaging::Image32>(std::move(*made));
            }
            std::shared_ptr<const imaging::Image32> result =
                method == imaging::RepairMethod::MatchEdges
                    ? base
                    : std::make_shared<const imaging::Image32>(imaging::OverlapCut(base->View(), overlap));
            imaging::ConstPixels measured = result->View();
            measured.opaque = source.pixels.opaque;
            const imaging::SeamMeasure after = imaging::MeasureSeam(measured, source.background);
            return [this, base, result, after] { RepairDone(base, result, after); };
        });
    if (!repairJob_.Started())
        return;
    if (!progress_.IsLoaded()) {
        progress_.onCancel = [this] { Command2_Click(); };
        progress_.Open(Hwnd(), L"Nahtlos machen", [this] { return repairJob_.Progress(); });
    }
}

void frmRepair::RepairDone(std::shared_ptr<const imaging::Image32> periodic,
                           std::shared_ptr<const imaging::Image32> result, imaging::SeamMeasure after)
{
    progress_.Close();
    if (!IsLoaded())
        return;
    periodic_ = std::move(periodic);
    result_ = std::move(result);
    Label3.SetText(L"Naht vorher " + before_ + L" · nachher " + SeamWords(after));
    forms::Raise(onPreview, result_, source_.pixels.opaque);
    if (saveWanted_)
        StartSave();
}

void frmRepair::Command1_Click()
{
    if (!IsLoaded() || saveJob_.Running())
        return;
    if (!result_) {
        saveWanted_ = true;  // saved as soon as the result is there
        return;
    }
    StartSave();
}

void frmRepair::StartSave()
{
    saveWanted_ = false;
    const std::wstring path = FreeRepairedPath(source_.folder, source_.fileName);
    Command1.SetEnabled(false);
    saveJob_ = forms::Job::Start(Hwnd(), [this, result = result_, path](forms::JobContext&) -> forms::JobResult {
        imaging::SaveResult saved;
        saved.error = E_FAIL;
        if (!path.empty())
            saved = SaveRepaired(path, result->View());
        return [this, saved, path] { SaveDone(saved, path); };
    });
    if (!saveJob_.Started())
        Command1.SetEnabled(true);
}

void frmRepair::SaveDone(const imaging::SaveResult& saved, const std::wstring& path)
{
    if (!IsLoaded())
        return;
    Command1.SetEnabled(true);
    if (saved.ok) {
        SavedName = path.substr(path.find_last_of(L'\\') + 1);
        Accepted = true;
        LeaveDialog();
        return;
    }
    // The dialog stays: the user may choose otherwise or cancel.
    std::wstring title;
    Commands::ShowMessage(L"Die Datei '" + path + L"' konnte nicht gespeichert werden." + Commands::CrLf +
                              imaging::DescribeError(saved),
                          Commands::kMsgWarning, title);
}

void frmRepair::Command2_Click()
{
    Accepted = false;
    LeaveDialog();
}

void frmRepair::ApplyDesignLayout()
{
    forms::UniqueHfont font = forms::CreateDefaultFont(Dpi());
    const auto place = [this, &font](forms::Control& control, const forms::Bounds& twips) {
        control.Move({TwipsToPixels(twips.left), TwipsToPixels(twips.top), TwipsToPixels(twips.width),
                      TwipsToPixels(twips.height)});
        control.SetFont(font.get());
    };
    place(Option1, kOption1);
    place(Option2, kOption2);
    place(Label1, kLabel1);
    place(Text1, kText1);
    Text1.Place({TwipsToPixels(kText1.left), TwipsToPixels(kText1.top), TwipsToPixels(kText1.width),
                 TwipsToPixels(kText1.height)});
    place(Label2, kLabel2);
    place(Label3, kLabel3);
    place(Command1, kCommand1);
    place(Command2, kCommand2);
    font_ = std::move(font);
}

void frmRepair::UnloadDialog()
{
    // A running repair or save is dropped with the window; a save already moved into place stays.
    repairJob_ = forms::Job{};
    saveJob_ = forms::Job{};
    progress_.Close();
    Text1.DestroyWithArrows();
    for (forms::Control* control : std::initializer_list<forms::Control*>{&Command2, &Command1, &Label3, &Label2,
                                                                          &Label1, &Option2, &Option1})
        control->Destroy();
    Unload();
    font_.reset();
}

frmRepair& RepairDialog()
{
    static frmRepair dialog;
    return dialog;
}

}  // namespace ui
