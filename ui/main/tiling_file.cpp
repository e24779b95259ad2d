#include "ui/main/tiling_file.h"

#include <cwctype>
#include <iterator>

#include "common/commands.h"

namespace ui {

namespace {

struct Extension {
    const wchar_t* text;
    imaging::ImageFormat format;
};

// In the order of the type list; the first of each format is the one added to a bare name.
constexpr Extension kExtensions[] = {
    {L"png", imaging::ImageFormat::Png},   {L"bmp", imaging::ImageFormat::Bmp},  {L"jpg", imaging::ImageFormat::Jpeg},
    {L"jpeg", imaging::ImageFormat::Jpeg}, {L"tif", imaging::ImageFormat::Tiff}, {L"tiff", imaging::ImageFormat::Tiff},
};

constexpr imaging::ImageFormat kTypeFormats[] = {imaging::ImageFormat::Png, imaging::ImageFormat::Bmp,
                                                 imaging::ImageFormat::Jpeg, imaging::ImageFormat::Tiff};

std::wstring Lower(std::wstring text)
{
    for (wchar_t& ch : text)
        ch = static_cast<wchar_t>(std::towlower(ch));
    return text;
}

}  // namespace

const std::vector<forms::FileType>& TilingFileTypes()
{
    static const std::vector<forms::FileType> types{
        {L"PNG-Bild (*.png)", L"*.png"},
        {L"BMP-Bild (*.bmp)", L"*.bmp"},
        {L"JPEG-Bild (*.jpg;*.jpeg)", L"*.jpg;*.jpeg"},
        {L"TIFF-Bild (*.tif;*.tiff)", L"*.tif;*.tiff"},
    };
    return types;
}

std::wstring ProposedTilingName(const std::wstring& pictureName, int width, int height)
{
    std::wstring base = Commands::GetBaseName(Commands::GetFileName(pictureName));
    if (base.empty())
        base = L"Kachel";
    return base + L"_kachel_" + std::to_wstring(width) + L"x" + std::to_wstring(height) + L".png";
}

TilingTarget ResolveTilingTarget(const std::wstring& chosen, int typeIndex)
{
    // The system drops a name's trailing dots; an extension added after them would stay.
    std::wstring chosenPath = chosen;
    while (!chosenPath.empty() && chosenPath.back() == L'.')
        chosenPath.pop_back();
    const std::wstring name = Commands::GetFileName(chosenPath);
    const std::size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos) {
        const std::wstring extension = Lower(name.substr(dot + 1));
        for (const Extension& known : kExtensions)
            if (extension == known.text)
                return {chosenPath, known.format};
    }
    if (typeIndex < 0 || typeIndex >= static_cast<int>(std::size(kTypeFormats)))
        typeIndex = 0;
    const imaging::ImageFormat format = kTypeFormats[typeIndex];
    for (const Extension& known : kExtensions)
        if (known.format == format)
            return {chosenPath + L"." + known.text, format};
    return {chosenPath, format};
}

}  // namespace ui
