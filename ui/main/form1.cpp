// The main window: creation of its controls, tab order, popup menu and the wiring of their events.

#include "ui/main/form1.h"

#include <algorithm>

#include "common/commands.h"
#include "forms/picture_formats.h"
#include "res/resource.h"
#include "ui/main/layout.h"
#include "ui/main/start_picture.h"
#include "ui/overview/overview.h"

namespace ui {

namespace {

Form1* g_mainForm = nullptr;

// Design placement of a control in twips, relative to its container.
struct DesignRect {
    int left;
    int top;
    int width;
    int height;
};

constexpr DesignRect kCheck1{420, 5550, 2145, 315};
constexpr DesignRect kList1{10350, 1710, 1035, 840};
constexpr DesignRect kFile1{120, 2550, 2805, 2970};
constexpr DesignRect kDir1{120, 510, 2835, 1980};
constexpr DesignRect kDrive1{120, 120, 2835, 360};
constexpr DesignRect kFrame1{120, 5910, 2715, 2235};
constexpr DesignRect kPicM{120, 240, Form1::kPicMWidthTwips, Form1::kPicMHeightTwips};  // inside Frame1
constexpr DesignRect kPicW{3060, 120, 6660, 6480};

constexpr int kClientWidthTwips = 11850;
constexpr int kClientHeightTwips = 8235;
constexpr UINT kTimer1IntervalMs = 10;
constexpr double kListFontPoints = 9.75;

}  // namespace

Form1* MainForm()
{
    return g_mainForm;
}

void SetMainForm(Form1* form)
{
    g_mainForm = form;
}

Form1::Form1()
    : mnuPop({
          {L"in den Sammelordner kopieren", [this] { mnuCopy_Click(); }},
          {L"in Sammelordner umbewegen", [this] { mnuMove_Click(); }},
          {L"Umbenennen", [this] { mnuRen_Click(); }},
          {L"-", nullptr},
          {L"Löschen", [this] { mnuDel_Click(); }},
      })
{}

Form1::~Form1()
{
    // No drop or tick may reach a form that is going away.
    Timer1.Stop();
    UnwireDialogs();
    dir1Drop_.Revoke();
    file1Drop_.Revoke();
    picWDrop_.Revoke();
    if (g_mainForm == this)
        g_mainForm = nullptr;
}

bool Form1::Create(bool openCurrentFolder)
{
    if (IsLoaded())
        return true;

    onLoad = [this] { Form_Load(); };
    forms::FormStyle style;
    style.caption = L"Brenwick Quadrino";
    // Every control paints its own background: erasing beneath them would only cost a fill per paint.
    style.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    style.clientWidthTwips = kClientWidthTwips;
    style.clientHeightTwips = kClientHeightTwips;
    style.icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_QUADRINO));
    if (!Load(style))
        return false;

    const auto at = [this](const DesignRect& r) {
        return forms::Bounds{TwipsToPixels(r.left), TwipsToPixels(r.top), TwipsToPixels(r.width),
                             TwipsToPixels(r.height)};
    };
    const HWND window = Hwnd();

    // Creation order as designed; the tab order is set separately below.
    Check1.Create(window, L"always on top", at(kCheck1));
    List1.Create(window, at(kList1));
    List1.SetVisible(false);
    File1.Create(window, at(kFile1));
    // PNG and TIFF with the long extension too: tiles today are mostly PNG. Then whatever else the
    // system decodes (WebP, HEIC, ... where installed) and the formats decoded here (TGA, PSD, QOI, HDR).
    File1.SetPattern(forms::PicturePattern(L"*.bmp;*.gif;*.jpg;*.jpeg;*.tif;*.tiff;*.png"));
    Dir1.Create(window, at(kDir1));
    Drive1.Create(window, at(kDrive1));
    Frame1.Create(window, L"Tile Preview:", at(kFrame1));
    PicM.Create(Frame1.Hwnd(), at(kPicM));
    PicM.SetAutoSize(true);
    ShowPicture(MakeStartPicture());
    PicW.Create(window, at(kPicW));
    ApplyDesignLayout();

    SetTabOrder({&PicW, &Frame1, &Drive1, &Dir1, &File1, &PicM, &List1, &Check1});

    Check1.onClick = [this] { Check1_Click(); };
    Drive1.onChange = [this] { Drive1_Change(); };
    Dir1.onChange = [this] { Dir1_Change(); };
    File1.onClick = [this] { File1_Selected(); };
    File1.onDblClick = [this] { File1_DblClick(); };
    File1.onMouseDown = [this](int button, int shift, int x, int y) { File1_MouseDown(button, shift, x, y); };
    PicW.onClick = [this] { PicW_Click(); };
    PicW.onContextMenu = [this](POINT at) { PicW_ContextMenu(at); };
    PicW.onDragStart = [this] { PicW_DragStart(); };
    PicW.onDrag = [this](int dx, int dy) { PicW_Drag(dx, dy); };
    PicW.onWheel = [this](int delta, POINT at, bool control) { return PicW_MouseWheel(delta, at, control); };
    PicW.onPaint = [this](HDC dc, const RECT& area) { return PicW_Paint(dc, area); };
    SetAccelerators(ViewKeys());
    onAccelerator = [this](WORD id) { Form_Accelerator(id); };
    PicM.onClick = [this] { PicM_Click(); };
    dir1Drop_.Register(Dir1.Hwnd(), [this](IDataObject* data) { Dir1_OLEDragDrop(data); });
    file1Drop_.Register(File1.Hwnd(), [this](IDataObject* data) { File1_OLEDragDrop(data); });
    picWDrop_.Register(PicW.Hwnd(), [this](IDataObject* data) { PicW_OLEDragDrop(data); });
    WireDialogs();

    // The lists open on the process's current drive and folder, without a word when it cannot be read.
    const QuietScope quiet(*this);
    wchar_t current[MAX_PATH] = {};
    if (const DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
        openCurrentFolder && length > 0 && length < MAX_PATH) {
        const std::wstring folder(current, length);
        Drive1.SetDrive(folder.substr(0, 2));
        Dir1.SetPath(folder);
        if (File1.Path().empty())
            File1.SetPath(Dir1.Path());
    }

    onResize = [this] { Form_Resize(); };
    onGotFocus = [this] { Form_GotFocus(); };
    onDpiChanged = [this] {
        ApplyDesignLayout();
        Form_Resize();
    };
    Timer1.onTick = [this] { Timer1_Timer(); };
    Timer1.Start(window, kTimer1IntervalMs);

    // The window was sized while hidden: lay it out for its real size as a resize would.
    Form_Resize();
    return true;
}

void Form1::ApplyDesignLayout()
{
    const auto at = [this](const DesignRect& r) {
        return forms::Bounds{TwipsToPixels(r.left), TwipsToPixels(r.top), TwipsToPixels(r.width),
                             TwipsToPixels(r.height)};
    };
    Check1.Move(at(kCheck1));
    List1.Move(at(kList1));
    File1.Move(at(kFile1));
    Dir1.Move(at(kDir1));
    Drive1.Move(at(kDrive1));
    Frame1.Move(at(kFrame1));
    PicW.Move(at(kPicW));
    // PicM keeps the size of its picture; only its place inside Frame1 is designed.
    const forms::Bounds picM = at(kPicM);
    PicM.Move({picM.left, picM.top, PicM.Width() > 0 ? PicM.Width() : picM.width,
               PicM.Height() > 0 ? PicM.Height() : picM.height});

    // The new fonts are in place before the old ones are deleted.
    const int dpi = Dpi();
    forms::UniqueHfont listFont = forms::CreatePointFont(L"Arial", kListFontPoints, true, dpi);
    forms::UniqueHfont defaultFont = forms::CreateDefaultFont(dpi);
    Drive1.SetFont(listFont.get());
    Dir1.SetFont(listFont.get());
    File1.SetFont(listFont.get());
    Check1.SetFont(defaultFont.get());
    Frame1.SetFont(defaultFont.get());
    listFont_ = std::move(listFont);
    defaultFont_ = std::move(defaultFont);
}

bool Form1::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (msg == kMsgDropped) {
        Dropped(static_cast<DropOn>(wParam), lParam);
        result = 0;
        return true;
    }
    if (msg == kMsgKeepMinimum) {
        KeepMinimumSize();
        result = 0;
        return true;
    }
    if (msg != WM_GETMINMAXINFO || !lParam)
        return false;
    // The system, and the window manager through its size hints, never make the window smaller than the layout allows.
    auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
    const float tpp = static_cast<float>(TwipsPerPixel());
    limits->ptMinTrackSize.x = std::max<LONG>(limits->ptMinTrackSize.x, RaisedOuterWidthPixels(0, tpp));
    limits->ptMinTrackSize.y = std::max<LONG>(limits->ptMinTrackSize.y, RaisedOuterHeightPixels(0, tpp));
    result = 0;
    return true;
}

void Form1::Form_Load()
{
    Commands::CenterForm(*this);
}

void Form1::Form_GotFocus()
{
    File1_Click();
}

void Form1::Check1_Click()
{
    Commands::SetAlwaysOnTop(*this, Check1.Value() != 0);
}

}  // namespace ui
