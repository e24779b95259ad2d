#include <gtest/gtest.h>

#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "support/test_env.h"

namespace {

// The version CMake's project() gives, passed in by the build apart from the header the resource uses.
constexpr wchar_t kProjectVersion[] = QUADRINO_PROJECT_VERSION;

class VersionResource : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::wstring program = testsupport::BuiltProgram();
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
        ASSERT_GT(size, 0u) << "no version resource in the built program, error " << GetLastError();
        data_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, size, data_.data()));
    }

    std::wstring Text(const std::wstring& name)
    {
        void* value = nullptr;
        UINT length = 0;
        const std::wstring key = L"\\StringFileInfo\\040704B0\\" + name;
        if (!VerQueryValueW(data_.data(), key.c_str(), &value, &length) || value == nullptr)
            return L"<missing>";
        return static_cast<const wchar_t*>(value);
    }

    const VS_FIXEDFILEINFO* Fixed()
    {
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(data_.data(), L"\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO))
            return nullptr;
        return static_cast<const VS_FIXEDFILEINFO*>(value);
    }

private:
    std::vector<unsigned char> data_;
};

std::wstring Dotted(DWORD high, DWORD low)
{
    return std::to_wstring(HIWORD(high)) + L"." + std::to_wstring(LOWORD(high)) + L"." + std::to_wstring(HIWORD(low));
}

TEST_F(VersionResource, NumbersAndTextsAreTheProjectVersion)
{
    const VS_FIXEDFILEINFO* fixed = Fixed();
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(Dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS), kProjectVersion);
    EXPECT_EQ(Dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS), kProjectVersion);
    EXPECT_EQ(LOWORD(fixed->dwFileVersionLS), 0u);
    EXPECT_EQ(Text(L"FileVersion"), kProjectVersion);
    EXPECT_EQ(Text(L"ProductVersion"), kProjectVersion);
}

TEST_F(VersionResource, NamesTheMakerAndTheLicence)
{
    EXPECT_EQ(Text(L"CompanyName"), L"Brenwick");
    EXPECT_EQ(Text(L"FileDescription"), L"Brenwick Quadrino");
    EXPECT_EQ(Text(L"ProductName"), L"Brenwick Quadrino");
    EXPECT_EQ(Text(L"OriginalFilename"), L"Quadrino.exe");
    EXPECT_NE(Text(L"LegalCopyright").find(L"Brenwick Quadrino contributors"), std::wstring::npos) << Text(L"LegalCopyright");
}

}  // namespace
