// The common shape of the copy and the rename dialog.

#include "ui/dialogs/name_dialog.h"

#include <algorithm>

#include "common/commands.h"
#include "forms/events.h"
#include "forms/fonts.h"

namespace ui {

NameDialog::NameDialog(const NameDialogLayout& layout) : layout_(layout)
{
    // Any other way out of the window is the "Abbrechen" path, so the main window is never left disabled.
    onClose = [this] { Command1_Click(); };
}

NameDialog::~NameDialog()
{
    UnloadDialog();
}

void NameDialog::Form_Load()
{
    Commands::CenterForm(*this);
    Commands::SetTopMost(*this);
}

void NameDialog::Text1_KeyPress(std::int16_t& keyCode)
{
    if (keyCode == Commands::kKeyEnter) {
        Command2_Click();
        return;
    }
    Commands::FilterKey(keyCode, Commands::kFilterName);
}

void NameDialog::Command1_Click()
{
    Accepted = false;
    CloseDialog();
}

bool NameDialog::LoadDialog()
{
    // Every opening starts from the design state, whatever an earlier use left behind.
    UnloadDialog();
    forms::FormStyle style;
    style.caption = layout_.caption;
    style.style = forms::kToolDialogStyle;
    style.exStyle = forms::kToolDialogExStyle;
    style.clientWidthTwips = layout_.clientWidth;
    style.clientHeightTwips = layout_.clientHeight;
    if (!Load(style))
        return false;

    const HWND window = Hwnd();
    Label1.Create(window, layout_.label1Text, {});
    Text1.Create(window, L"Filename", {});
    Label2.Create(window, L".ext", {});
    Command1.Create(window, L"Abbrechen", {});
    Command2.Create(window, L"Übernehmen", {});
    ApplyDesignLayout();
    SetTabOrder({&Label1, &Text1, &Label2, &Command1, &Command2});
    onDpiChanged = [this] { ApplyDesignLayout(); };

    Text1.onKeyPress = [this](std::int16_t& keyCode) { Text1_KeyPress(keyCode); };
    Text1.onPaste = [](const std::wstring& pasted) { return FilterNameText(pasted); };
    Command1.onClick = [this] { Command1_Click(); };
    Command2.onClick = [this] { Command2_Click(); };

    Form_Load();
    return true;
}

void NameDialog::ApplyDesignLayout()
{
    const int dpi = Dpi();
    forms::UniqueHfont defaultFont = forms::CreateDefaultFont(dpi);
    forms::UniqueHfont textFont = forms::CreatePointFont(L"MS Sans Serif", 9.75, true, dpi);
    forms::UniqueHfont extensionFont = forms::CreatePointFont(L"MS Sans Serif", 12, true, dpi);
    const auto pixels = [this](const forms::Bounds& twips) {
        return forms::Bounds{TwipsToPixels(twips.left), TwipsToPixels(twips.top), TwipsToPixels(twips.width),
                             TwipsToPixels(twips.height)};
    };
    Label1.Move(pixels(layout_.label1));
    Text1.Move(pixels(layout_.text1));
    Label2.Move(pixels(layout_.label2));
    Command1.Move(pixels(layout_.command1));
    Command2.Move(pixels(layout_.command2));
    Label1.SetFont(defaultFont.get());
    Text1.SetFont(textFont.get());
    Label2.SetFont(extensionFont.get());
    Command1.SetFont(defaultFont.get());
    Command2.SetFont(textFont.get());
    // The fonts in use until now are released only once no control holds them any more.
    defaultFont_ = std::move(defaultFont);
    textFont_ = std::move(textFont);
    extensionFont_ = std::move(extensionFont);
}

void NameDialog::UnloadDialog()
{
    // Controls go before their window and the fonts after both, so no window keeps a deleted font.
    Command2.Destroy();
    Command1.Destroy();
    Label2.Destroy();
    Text1.Destroy();
    Label1.Destroy();
    Unload();
    defaultFont_.reset();
    textFont_.reset();
    extensionFont_.reset();
}

void NameDialog::FillFromFullPath()
{
    SourceFolder = Commands::GetParentPath(FullPath);
    Commands::AddBackslash(SourceFolder);
    SourceFile = Commands::GetFileName(FullPath);
    Text1.SetText(Commands::GetBaseName(SourceFile));
    Label2.SetText(L"." + Commands::GetExtension(SourceFile));
    FitExtensionLabel();
}

void NameDialog::FitExtensionLabel()
{
    const auto textWidth = [this](HFONT font) {
        forms::WindowDc dc(Label2.Hwnd());
        forms::SelectGuard select(dc.get(), font);
        const std::wstring text = Label2.Text();
        SIZE size{};
        GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
    };
    // The design width holds ".bmp" only in the original font; the label may grow to the window's edge.
    forms::Bounds bounds = Label2.GetBounds();
    RECT client{};
    GetClientRect(Hwnd(), &client);
    const int widest = std::max(bounds.width, static_cast<int>(client.right) - bounds.left);
    double points = 12;
    int needed = textWidth(extensionFont_.get());
    while (needed > widest && points > 8) {
        points -= 1;
        forms::UniqueHfont smaller = forms::CreatePointFont(L"MS Sans Serif", points, true, Dpi());
        needed = textWidth(smaller.get());
        Label2.SetFont(smaller.get());
        extensionFont_ = std::move(smaller);
    }
    bounds.width = std::clamp(needed, bounds.width, widest);
    Label2.Move(bounds);
}

std::wstring NameDialog::ChosenName() const
{
    return Text1.Text() + Label2.Text();
}

void NameDialog::SelectWholeName()
{
    Text1.SetSelection(0, static_cast<int>(Text1.Text().size()));
    Text1.SetFocus();
}

std::wstring FilterNameText(const std::wstring& text)
{
    std::wstring kept;
    kept.reserve(text.size());
    for (const wchar_t ch : text) {
        // Codes below 32 pass the key filter only as editing keys (copy, paste, Backspace, Enter), never as text.
        if (ch < 32)
            continue;
        auto code = static_cast<std::int16_t>(ch);
        Commands::FilterKey(code, Commands::kFilterName);
        if (code != 0)
            kept += ch;
    }
    return kept;
}

}  // namespace ui
