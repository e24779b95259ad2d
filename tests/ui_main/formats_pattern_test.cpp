// The file list shows every picture the program reads: the first types, then each extension the
// system's decoders report, then the built-in formats; lower case, none twice.

#include <gtest/gtest.h>

#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <cwctype>
#include <set>

#include "forms/picture_formats.h"
#include "support/main_window_test.h"

namespace {

using Microsoft::WRL::ComPtr;

class FormatsPatternTest : public testsupport::MainWindowTest {};

std::vector<std::wstring> Entries(const std::wstring& pattern)
{
    std::vector<std::wstring> entries;
    std::size_t start = 0;
    for (std::size_t end; (end = pattern.find(L';', start)) != std::wstring::npos; start = end + 1)
        entries.push_back(pattern.substr(start, end - start));
    entries.push_back(pattern.substr(start));
    return entries;
}

// Every extension the installed decoders report, asked here on the test's own account.
std::vector<std::wstring> ReportedExtensions()
{
    std::vector<std::wstring> found;
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IEnumUnknown> decoders;
    EXPECT_TRUE(
        SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))));
    EXPECT_TRUE(SUCCEEDED(factory->CreateComponentEnumerator(WICDecoder, WICComponentEnumerateDefault, &decoders)));
    ComPtr<IUnknown> item;
    ULONG count = 0;
    while (decoders && decoders->Next(1, &item, &count) == S_OK) {
        ComPtr<IWICBitmapCodecInfo> info;
        wchar_t text[512] = {};
        UINT length = 0;
        if (SUCCEEDED(item.As(&info)) && SUCCEEDED(info->GetFileExtensions(511, text, &length))) {
            std::wstring listed(text);
            for (wchar_t& c : listed)
                c = c == L',' ? L';' : static_cast<wchar_t>(std::towlower(c));
            for (const std::wstring& extension : Entries(listed))
                if (!extension.empty())
                    found.push_back(L"*" + extension);
        }
        item.Reset();
    }
    return found;
}

}  // namespace

TEST_F(FormatsPatternTest, TheFileListShowsEveryExtensionTheSystemDecodesAndTheBuiltInOnesOnce)
{
    const std::vector<std::wstring> entries = Entries(form_->File1.Pattern());
    const std::vector<std::wstring> first{L"*.bmp", L"*.gif", L"*.jpg", L"*.jpeg", L"*.tif", L"*.tiff", L"*.png"};
    ASSERT_GE(entries.size(), first.size());
    EXPECT_TRUE(std::equal(first.begin(), first.end(), entries.begin()));
    EXPECT_EQ(std::set<std::wstring>(entries.begin(), entries.end()).size(), entries.size()) << "an entry twice";
    for (const std::wstring& entry : entries) {
        EXPECT_EQ(entry.rfind(L"*.", 0), 0u) << testing::PrintToString(entry);
        EXPECT_FALSE(std::any_of(entry.begin(), entry.end(), [](wchar_t c) { return std::iswupper(c); }))
            << testing::PrintToString(entry);
    }
    const std::vector<std::wstring> reported = ReportedExtensions();
    EXPECT_FALSE(reported.empty());
    for (const std::wstring& extension : reported)
        EXPECT_NE(std::find(entries.begin(), entries.end(), extension), entries.end())
            << testing::PrintToString(extension);
    for (const wchar_t* builtIn : {L"*.tga", L"*.psd", L"*.qoi", L"*.hdr"})
        EXPECT_NE(std::find(entries.begin(), entries.end(), builtIn), entries.end())
            << testing::PrintToString(std::wstring(builtIn));
    // Under Wine the system itself brings DDS and ICO.
    EXPECT_NE(std::find(entries.begin(), entries.end(), L"*.dds"), entries.end());
}

TEST(PicturePattern, ExtensionsAreAddedInLowerCaseAfterThePatternWithoutRepeats)
{
    EXPECT_EQ(forms::PatternWithExtensions(L"*.bmp;*.GIF", {L".WebP", L".gif", L"heic", L".webp", L".bmp", L""}),
              L"*.bmp;*.GIF;*.webp;*.heic");
    EXPECT_EQ(forms::PatternWithExtensions(L"", {L".dds"}), L"*.dds");
    EXPECT_EQ(forms::PatternWithExtensions(L"*.png", {}), L"*.png");
}
