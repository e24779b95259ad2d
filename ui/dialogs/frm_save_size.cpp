// frmSaveSize: the size dialog before the tiling is saved.

#include "ui/dialogs/frm_save_size.h"

#include <commctrl.h>

#include <initializer_list>

#include "common/commands.h"
#include "forms/events.h"
#include "forms/fonts.h"
#include "forms/option_controls.h"

namespace ui {

namespace {

// Design positions in twips of the client area.
constexpr int kClientWidth = 3495;
constexpr int kClientHeight = 1380;
constexpr forms::Bounds kLabel1{120, 150, 855, 255};
constexpr forms::Bounds kText1{1020, 105, 1335, 315};
constexpr forms::Bounds kLabel3{2475, 150, 900, 255};
constexpr forms::Bounds kLabel2{120, 555, 855, 255};
constexpr forms::Bounds kText2{1020, 510, 1335, 315};
constexpr forms::Bounds kLabel4{2475, 555, 900, 255};
constexpr forms::Bounds kCommand1{60, 900, 1635, 435};
constexpr forms::Bounds kCommand2{1800, 900, 1635, 435};

// Five digits hold every side up to 30000; a longer text could only be out of range.
constexpr WPARAM kMaxDigits = 5;

// Editing keys a digits-only box still takes: copy, Backspace, paste, cut, undo.
constexpr std::int16_t kKeyCut = 24;
constexpr std::int16_t kKeyUndo = 26;

}  // namespace

frmSaveSize::frmSaveSize()
{
    // Any other way out of the window is the "Abbrechen" path, so the main window is never left disabled.
    onClose = [this] { Command1_Click(); };
}

frmSaveSize::~frmSaveSize()
{
    UnloadDialog();
}

void frmSaveSize::Start(int width, int height)
{
    // Every opening starts from the design state, whatever an earlier use left behind.
    UnloadDialog();
    Accepted = false;
    forms::FormStyle style;
    style.caption = L"Kachelung speichern";
    style.style = forms::kToolDialogStyle;
    style.exStyle = forms::kToolDialogExStyle;
    style.clientWidthTwips = kClientWidth;
    style.clientHeightTwips = kClientHeight;
    if (!Load(style))
        return;

    const HWND window = Hwnd();
    Label1.Create(window, L"Breite:", {});
    Text1.Create(window, std::to_wstring(width), {});
    Label3.Create(window, L"Pixel", {});
    Label2.Create(window, L"Höhe:", {});
    Text2.Create(window, std::to_wstring(height), {});
    Label4.Create(window, L"Pixel", {});
    Command1.Create(window, L"Abbrechen", {});
    Command2.Create(window, L"Weiter", {});
    ApplyDesignLayout();
    SetTabOrder({&Label1, &Text1, &Label3, &Label2, &Text2, &Label4, &Command1, &Command2});
    onDpiChanged = [this] { ApplyDesignLayout(); };

    for (forms::TextBox* box : {&Text1, &Text2}) {
        SendMessageW(box->Hwnd(), EM_LIMITTEXT, kMaxDigits, 0);
        box->onKeyPress = [this](std::int16_t& keyCode) { Text_KeyPress(keyCode); };
        box->onPaste = [](const std::wstring& pasted) { return FilterDigits(pasted); };
    }
    Command1.onClick = [this] { Command1_Click(); };
    Command2.onClick = [this] { Command2_Click(); };

    Commands::CenterForm(*this);
    Commands::SetTopMost(*this);
    Show();
    SelectForRetyping(Text1);
}

void frmSaveSize::Text_KeyPress(std::int16_t& keyCode)
{
    HideRefusal();
    switch (keyCode) {
    case Commands::kKeyEnter: Command2_Click(); return;
    case Commands::kKeyEscape: Command1_Click(); return;
    case Commands::kKeyCopy:
    case Commands::kKeyBackspace:
    case Commands::kKeyPaste:
    case kKeyCut:
    case kKeyUndo: return;
    default:
        if (keyCode < L'0' || keyCode > L'9')
            keyCode = 0;
    }
}

void frmSaveSize::Command1_Click()
{
    Accepted = false;
    LeaveDialog();
}

void frmSaveSize::Command2_Click()
{
    const std::optional<int> width = ParseSide(Text1.Text());
    if (!width) {
        Refuse(Text1);
        return;
    }
    const std::optional<int> height = ParseSide(Text2.Text());
    if (!height) {
        Refuse(Text2);
        return;
    }
    ChosenWidth = *width;
    ChosenHeight = *height;
    Accepted = true;
    LeaveDialog();
}

void frmSaveSize::SelectForRetyping(forms::TextBox& box)
{
    box.SetSelection(0, static_cast<int>(box.Text().size()));
    box.SetFocus();
}

void frmSaveSize::Refuse(forms::TextBox& box)
{
    SelectForRetyping(box);
    // Says why Enter did nothing, in a balloon below the box until the next key. A tooltip of its own:
    // Wine's edit box ignores EM_SHOWBALLOONTIP.
    if (!refusalTip_)
        refusalTip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                          WS_POPUP | TTS_BALLOON | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Hwnd(), nullptr,
                                          GetModuleHandleW(nullptr), nullptr));
    if (!refusalTip_)
        return;
    HideRefusal();
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE | TTF_IDISHWND;
    tool.hwnd = Hwnd();
    tool.uId = reinterpret_cast<UINT_PTR>(box.Hwnd());
    tool.lpszText = const_cast<wchar_t*>(kRefusalText);
    SendMessageW(refusalTip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    RECT at{};
    GetWindowRect(box.Hwnd(), &at);
    SendMessageW(refusalTip_.get(), TTM_TRACKPOSITION, 0, MAKELPARAM((at.left + at.right) / 2, at.bottom));
    SendMessageW(refusalTip_.get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

void frmSaveSize::HideRefusal()
{
    if (!refusalTip_)
        return;
    for (forms::TextBox* box : {&Text1, &Text2}) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = Hwnd();
        tool.uId = reinterpret_cast<UINT_PTR>(box->Hwnd());
        SendMessageW(refusalTip_.get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
        SendMessageW(refusalTip_.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void frmSaveSize::ApplyDesignLayout()
{
    forms::UniqueHfont font = forms::CreateDefaultFont(Dpi());
    const auto place = [this, &font](forms::Control& control, const forms::Bounds& twips) {
        control.Move({TwipsToPixels(twips.left), TwipsToPixels(twips.top), TwipsToPixels(twips.width),
                      TwipsToPixels(twips.height)});
        control.SetFont(font.get());
    };
    place(Label1, kLabel1);
    place(Text1, kText1);
    place(Label3, kLabel3);
    place(Label2, kLabel2);
    place(Text2, kText2);
    place(Label4, kLabel4);
    place(Command1, kCommand1);
    place(Command2, kCommand2);
    // The font in use until now is released only once no control holds it any more.
    font_ = std::move(font);
}

void frmSaveSize::UnloadDialog()
{
    // Controls go before their window and the font after both, so no window keeps a deleted font.
    for (forms::Control* control : std::initializer_list<forms::Control*>{&Command2, &Command1, &Label4, &Text2,
                                                                          &Label2, &Label3, &Text1, &Label1})
        control->Destroy();
    refusalTip_.reset();
    Unload();
    font_.reset();
}

std::optional<int> ParseSide(const std::wstring& text)
{
    return forms::ParseDecimal(text, kMaxDigits, kMinSavedSide, kMaxSavedSide);
}

std::wstring FilterDigits(const std::wstring& text)
{
    std::wstring digits;
    for (const wchar_t ch : text)
        if (ch >= L'0' && ch <= L'9')
            digits += ch;
    return digits;
}

frmSaveSize& SaveSizeDialog()
{
    static frmSaveSize dialog;
    return dialog;
}

}  // namespace ui
