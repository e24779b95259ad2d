#include "main_window_fixture.h"

#include "common/commands.h"
#include "forms/events.h"
#include "forms/handles.h"

namespace mainwindowtest {

std::uint32_t PatternColour(int x, int y, int seed)
{
    const auto r = static_cast<std::uint32_t>((x * 37 + y * 101 + seed * 53) & 0xff);
    const auto g = static_cast<std::uint32_t>(((x * 13) ^ (y * 7 + seed)) & 0xff);
    const auto b = static_cast<std::uint32_t>((x + y * 29 + seed * 11) & 0xff);
    return (r << 16) | (g << 8) | b;
}

std::string PatternBmp(int width, int height, int seed)
{
    const int stride = (width * 3 + 3) & ~3;
    const auto imageSize = static_cast<std::uint32_t>(stride * height);
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + imageSize;
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;  // bottom-up
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = imageSize;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
    for (int row = height - 1; row >= 0; --row) {
        std::string line(static_cast<std::size_t>(stride), '\0');
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = PatternColour(x, row, seed);
            line[static_cast<std::size_t>(x) * 3] = static_cast<char>(c & 0xff);
            line[static_cast<std::size_t>(x) * 3 + 1] = static_cast<char>((c >> 8) & 0xff);
            line[static_cast<std::size_t>(x) * 3 + 2] = static_cast<char>((c >> 16) & 0xff);
        }
        bytes += line;
    }
    return bytes;
}

namespace {

BITMAPINFO TopDown32(int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

void MaskAlpha(Pixels& pixels)
{
    for (auto& p : pixels.rgb)
        p &= 0x00ffffffU;
}

}  // namespace

Pixels ReadDc(HDC dc, int width, int height)
{
    Pixels pixels;
    if (!dc || width <= 0 || height <= 0)
        return pixels;
    BITMAPINFO info = TopDown32(width, height);
    void* bits = nullptr;
    forms::UniqueHbitmap dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    forms::UniqueHdc memory(CreateCompatibleDC(dc));
    if (!dib || !memory || !bits)
        return pixels;
    {
        forms::SelectGuard select(memory.get(), dib.get());
        BitBlt(memory.get(), 0, 0, width, height, dc, 0, 0, SRCCOPY);
        GdiFlush();
    }
    pixels.width = width;
    pixels.height = height;
    const auto* source = static_cast<const std::uint32_t*>(bits);
    pixels.rgb.assign(source, source + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    MaskAlpha(pixels);
    return pixels;
}

Pixels ReadBitmap(HBITMAP bitmap)
{
    Pixels pixels;
    BITMAP header{};
    if (!bitmap || !GetObjectW(bitmap, sizeof(header), &header) || header.bmWidth <= 0 || header.bmHeight <= 0)
        return pixels;
    BITMAPINFO info = TopDown32(header.bmWidth, header.bmHeight);
    std::vector<std::uint32_t> rgb(static_cast<std::size_t>(header.bmWidth) * static_cast<std::size_t>(header.bmHeight));
    forms::WindowDc screen(nullptr);
    if (GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(header.bmHeight), rgb.data(), &info, DIB_RGB_COLORS) !=
        header.bmHeight)
        return pixels;
    pixels.width = header.bmWidth;
    pixels.height = header.bmHeight;
    pixels.rgb = std::move(rgb);
    MaskAlpha(pixels);
    return pixels;
}

Pixels ReadClipboardBitmap()
{
    Pixels pixels;
    if (!OpenClipboard(nullptr))
        return pixels;
    if (const auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)))
        pixels = ReadBitmap(bitmap);
    CloseClipboard();
    return pixels;
}

bool PutClipboardText(const std::wstring& text)
{
    if (!OpenClipboard(nullptr))
        return false;
    EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    bool ok = false;
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        if (void* target = GlobalLock(memory)) {
            CopyMemory(target, text.c_str(), bytes);
            GlobalUnlock(memory);
            ok = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        }
        if (!ok)
            GlobalFree(memory);
    }
    CloseClipboard();
    return ok;
}

bool ClipboardHasBitmap()
{
    return IsClipboardFormatAvailable(CF_BITMAP) != FALSE;
}

::testing::AssertionResult IsTiling(const Pixels& pixels, int tileWidth, int tileHeight, int seed)
{
    if (pixels.width <= 0 || pixels.height <= 0)
        return ::testing::AssertionFailure() << "no pixels";
    for (int y = 0; y < pixels.height; ++y) {
        for (int x = 0; x < pixels.width; ++x) {
            const std::uint32_t expected = PatternColour(x % tileWidth, y % tileHeight, seed);
            if (pixels.At(x, y) != expected)
                return ::testing::AssertionFailure() << "pixel " << x << "," << y << " is " << std::hex
                                                     << pixels.At(x, y) << ", the tile has " << expected;
        }
    }
    return ::testing::AssertionSuccess();
}

SavedEnvironment::SavedEnvironment()
    : appTitle_(Commands::AppTitle), crLf_(Commands::CrLf), startFile_(Commands::StartFile),
      tilesFolder_(Commands::TilesFolder), currentFolder_(Commands::CurrentFolder),
      currentFile_(Commands::CurrentFile)
{
    Commands::AppTitle = L"Brenwick Quadrino";
    Commands::CrLf = L"\r\n";
}

SavedEnvironment::~SavedEnvironment()
{
    Commands::AppTitle = appTitle_;
    Commands::CrLf = crLf_;
    Commands::StartFile = startFile_;
    Commands::TilesFolder = tilesFolder_;
    Commands::CurrentFolder = currentFolder_;
    Commands::CurrentFile = currentFile_;
}

void MainWindowTest::SetUp()
{
    saved_ = std::make_unique<SavedEnvironment>();
    Commands::CurrentFolder.clear();
    Commands::CurrentFile.clear();
    testsupport::Prompter().Reset();
    testsupport::MenuPresenter().Reset();
    form_ = std::make_unique<ui::Form1>();
    ASSERT_TRUE(form_->Create());
    ui::SetMainForm(form_.get());
    form_->Show();
    forms::DoEvents();
    // Tests drive the delayed redraw themselves.
    form_->Timer1.Stop();
}

void MainWindowTest::TearDown()
{
    form_.reset();
    forms::DoEvents();
    testsupport::Prompter().Reset();
    testsupport::MenuPresenter().Reset();
    saved_.reset();
}

std::wstring MainWindowTest::AddImage(const testsupport::TempFolder& folder, const std::wstring& name, int width,
                                      int height, int seed)
{
    const std::wstring path = folder / name;
    EXPECT_TRUE(testsupport::WriteFileBytes(path, PatternBmp(width, height, seed)));
    return path;
}

void MainWindowTest::ShowFolder(const std::wstring& folder)
{
    std::wstring path = folder;
    if (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    ASSERT_TRUE(form_->Dir1.SetPath(path));
    ASSERT_EQ(form_->File1.Path(), form_->Dir1.Path());
}

int MainWindowTest::IndexInFile1(const std::wstring& name) const
{
    for (int i = 0; i < form_->File1.ListCount(); ++i)
        if (form_->File1.List(i) == name)
            return i;
    return -1;
}

}  // namespace mainwindowtest
