#include "forms/fonts.h"

#include <windows.h>

#include <cmath>

namespace forms {

UniqueHfont CreatePointFont(const std::wstring& face, double points, bool bold, int dpi)
{
    LOGFONTW font{};
    // Hundredths of a point keep sizes like 9.75 pt exact before the rounding MulDiv does.
    const int hundredths = static_cast<int>(std::lround(points * 100.0));
    font.lfHeight = -MulDiv(hundredths, dpi, 7200);
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = CLEARTYPE_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    lstrcpynW(font.lfFaceName, face.c_str(), LF_FACESIZE);
    return UniqueHfont(CreateFontIndirectW(&font));
}

UniqueHfont CreateDefaultFont(int dpi)
{
    using ForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
    static const auto forDpi = reinterpret_cast<ForDpiFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SystemParametersInfoForDpi")));
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, static_cast<UINT>(dpi)))
        return UniqueHfont(CreateFontIndirectW(&metrics.lfMessageFont));
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return CreatePointFont(L"MS Shell Dlg 2", 8.0, false, dpi);
    // Without the per-DPI call the metrics come at the screen's DPI as this thread sees it.
    int screenDpi = USER_DEFAULT_SCREEN_DPI;
    {
        WindowDc screen(nullptr);
        if (screen.get() && GetDeviceCaps(screen.get(), LOGPIXELSY) > 0)
            screenDpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
    }
    LOGFONTW font = metrics.lfMessageFont;
    font.lfHeight = MulDiv(font.lfHeight, dpi, screenDpi);
    return UniqueHfont(CreateFontIndirectW(&font));
}

}  // namespace forms
