#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "forms/fonts.h"
#include "forms/message_box.h"
#include "forms/popup_menu.h"
#include "forms/single_instance.h"
#include "support/test_env.h"

namespace {

class SeamsTest : public testing::Test {
protected:
    void SetUp() override
    {
        testsupport::Prompter().Reset();
        testsupport::MenuPresenter().Reset();
    }
    void TearDown() override
    {
        testsupport::Prompter().Reset();
        testsupport::MenuPresenter().Reset();
    }
};

TEST_F(SeamsTest, PopupMenuRaisesTheChosenItemAndShowsSeparators)
{
    std::vector<std::wstring> clicked;
    forms::PopupMenu menu({
        {L"in den Sammelordner kopieren", [&] { clicked.push_back(L"copy"); }},
        {L"in Sammelordner umbewegen", [&] { clicked.push_back(L"move"); }},
        {L"Umbenennen", [&] { clicked.push_back(L"rename"); }},
        {L"-", nullptr},
        {L"Löschen", [&] { clicked.push_back(L"delete"); }},
    });
    EXPECT_EQ(menu.ItemCount(), 5u);
    EXPECT_EQ(menu.Caption(4), L"Löschen");
    testsupport::MenuPresenter().choices = {L"Löschen", L"Umbenennen"};
    menu.ShowAt(nullptr, POINT{10, 10});
    menu.Show(nullptr);
    EXPECT_EQ(clicked, (std::vector<std::wstring>{L"delete", L"rename"}));
    ASSERT_EQ(testsupport::MenuPresenter().shownMenus.size(), 2u);
    EXPECT_EQ(testsupport::MenuPresenter().shownMenus[0],
              (std::vector<std::wstring>{L"in den Sammelordner kopieren", L"in Sammelordner umbewegen", L"Umbenennen",
                                         L"-", L"Löschen"}));
}

TEST_F(SeamsTest, PopupMenuDismissedRaisesNothing)
{
    int clicks = 0;
    forms::PopupMenu menu({{L"Eins", [&] { ++clicks; }}, {L"-", nullptr}});
    menu.ShowAt(nullptr, POINT{0, 0});  // no choice scripted: dismissed
    testsupport::MenuPresenter().choices = {L"-"};
    menu.ShowAt(nullptr, POINT{0, 0});  // a separator is no command
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(testsupport::MenuPresenter().shownMenus.size(), 2u);
}

TEST_F(SeamsTest, PopupMenuHandlerSetLaterIsUsed)
{
    forms::PopupMenu menu({{L"Eins", nullptr}, {L"Zwei", nullptr}});
    int clicks = 0;
    menu.SetOnClick(1, [&] { ++clicks; });
    testsupport::MenuPresenter().choices = {L"Zwei", L"Eins"};
    menu.ShowAt(nullptr, POINT{0, 0});
    menu.ShowAt(nullptr, POINT{0, 0});
    EXPECT_EQ(clicks, 1);
}

TEST_F(SeamsTest, MessageBoxGoesThroughThePrompter)
{
    testsupport::Prompter().answers = {IDNO};
    const int answer =
        forms::ShowMessageBox(nullptr, L"Datei löschen?", L"Brenwick Quadrino", MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(answer, IDNO);
    ASSERT_EQ(testsupport::Prompter().shown.size(), 1u);
    EXPECT_EQ(testsupport::Prompter().shown[0].text, L"Datei löschen?");
    EXPECT_EQ(testsupport::Prompter().shown[0].title, L"Brenwick Quadrino");
    EXPECT_EQ(testsupport::Prompter().shown[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
}

TEST(SingleInstance, SecondClaimOfTheSameNameSeesTheFirst)
{
    const std::wstring name = L"Local\\QuadrinoFormsTest" + std::to_wstring(GetCurrentProcessId());
    forms::SingleInstance first(name);
    EXPECT_FALSE(first.AnotherIsRunning());
    {
        forms::SingleInstance second(name);
        EXPECT_TRUE(second.AnotherIsRunning());
        forms::SingleInstance unrelated(name + L"Anders");
        EXPECT_FALSE(unrelated.AnotherIsRunning());
    }
}

TEST(SingleInstance, NameIsFreeAgainWhenTheHolderEnds)
{
    const std::wstring name = L"Local\\QuadrinoFormsFree" + std::to_wstring(GetCurrentProcessId());
    {
        forms::SingleInstance first(name);
    }
    forms::SingleInstance again(name);
    EXPECT_FALSE(again.AnotherIsRunning());
}

LOGFONTW Describe(const forms::UniqueHfont& font)
{
    LOGFONTW description{};
    GetObjectW(font.get(), sizeof(description), &description);
    return description;
}

TEST(Fonts, PointFontScalesWithDpi)
{
    const auto normal = forms::CreatePointFont(L"Arial", 9.75, true, 96);
    const auto large = forms::CreatePointFont(L"Arial", 9.75, true, 192);
    const auto twelve = forms::CreatePointFont(L"MS Sans Serif", 12, false, 96);
    ASSERT_TRUE(normal);
    ASSERT_TRUE(large);
    ASSERT_TRUE(twelve);
    EXPECT_EQ(Describe(normal).lfHeight, -13);  // 9.75 pt is 13 pixels at 96 DPI
    EXPECT_EQ(Describe(large).lfHeight, -26);
    EXPECT_EQ(Describe(twelve).lfHeight, -16);
    EXPECT_EQ(Describe(normal).lfWeight, FW_BOLD);
    EXPECT_EQ(Describe(twelve).lfWeight, FW_NORMAL);
    EXPECT_STREQ(Describe(normal).lfFaceName, L"Arial");
}

TEST(Fonts, DefaultFontScalesWithDpi)
{
    const auto normal = forms::CreateDefaultFont(96);
    const auto doubled = forms::CreateDefaultFont(192);
    ASSERT_TRUE(normal);
    ASSERT_TRUE(doubled);
    EXPECT_NE(Describe(normal).lfHeight, 0);
    EXPECT_EQ(Describe(doubled).lfHeight, 2 * Describe(normal).lfHeight);
}

}  // namespace
