#include <gtest/gtest.h>

#include "common/commands.h"
#include "support/test_env.h"

namespace {

class ShowMessageTest : public testing::Test {
protected:
    void SetUp() override
    {
        savedTitle_ = Commands::AppTitle;
        Commands::AppTitle = L"Brenwick Quadrino";
        testsupport::Prompter().Reset();
    }
    void TearDown() override
    {
        Commands::AppTitle = savedTitle_;
        testsupport::Prompter().Reset();
    }
    const std::vector<testsupport::ShownMessage>& Shown() { return testsupport::Prompter().shown; }

private:
    std::wstring savedTitle_;
};

}  // namespace

TEST_F(ShowMessageTest, EmptyTitleBecomesAppTitleInTheCallersVariable)
{
    std::wstring title;
    Commands::ShowMessage(L"Das Bild liegt in der Zwischenablage. ", 1, title);
    EXPECT_EQ(title, L"Brenwick Quadrino");
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].title, L"Brenwick Quadrino");
    EXPECT_EQ(Shown()[0].text, L"Das Bild liegt in der Zwischenablage. ");
    EXPECT_EQ(Shown()[0].owner, GetActiveWindow());
}

TEST_F(ShowMessageTest, GivenTitleIsKept)
{
    std::wstring title = L"Eigener Titel";
    Commands::ShowMessage(L"Text", 2, title);
    EXPECT_EQ(title, L"Eigener Titel");
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].title, L"Eigener Titel");
}

TEST_F(ShowMessageTest, EachKindHasItsIconAndOnlyAnOkButton)
{
    const struct {
        std::int16_t kind;
        UINT flags;
    } cases[] = {{1, 64}, {2, 48}, {3, 16}, {4, 32}};
    for (const auto& c : cases) {
        std::wstring title;
        Commands::ShowMessage(L"Text", c.kind, title);
    }
    ASSERT_EQ(Shown().size(), 4u);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(Shown()[i].flags, cases[i].flags) << "kind " << cases[i].kind;
}

TEST_F(ShowMessageTest, OtherKindsShowNothing)
{
    for (std::int16_t kind : {0, 5, -1, 64}) {
        std::wstring title;
        Commands::ShowMessage(L"Text", kind, title);
        EXPECT_EQ(title, L"Brenwick Quadrino");  // the title is filled before the kind is looked at
    }
    EXPECT_TRUE(Shown().empty());
}
