#include <gtest/gtest.h>

#include <set>

#include "common/commands.h"

namespace {

std::int16_t Filtered(int code, int mode)
{
    std::int16_t key = static_cast<std::int16_t>(code);
    Commands::FilterKey(key, static_cast<std::int16_t>(mode));
    return key;
}

// Checks every code from -300 to 400 against the codes a mode lets through unchanged.
void ExpectOnlyPassing(int mode, const std::set<int>& passing, int firstOpenCode)
{
    for (int code = -300; code <= 400; ++code) {
        const bool passes = passing.count(code) > 0 || (firstOpenCode > 0 && code >= firstOpenCode);
        EXPECT_EQ(Filtered(code, mode), passes ? code : 0) << "mode " << mode << " code " << code;
    }
}

std::set<int> Range(int low, int high, std::set<int> more = {})
{
    for (int c = low; c <= high; ++c)
        more.insert(c);
    return more;
}

}  // namespace

TEST(FilterKey, EditingKeysPassInEveryMode)
{
    for (int mode : {-1, 0, 1, 2, 3, 4, 5, 6, 7, 100})
        for (int code : {3, 8, 13, 22})
            EXPECT_EQ(Filtered(code, mode), code) << "mode " << mode << " code " << code;
}

TEST(FilterKey, NameCharacters)
{
    EXPECT_EQ(Filtered(46, 1), 0);   // dot
    EXPECT_EQ(Filtered(92, 1), 0);   // backslash
    EXPECT_EQ(Filtered(42, 1), 0);   // *
    EXPECT_EQ(Filtered(24, 1), 0);   // Ctrl+X
    EXPECT_EQ(Filtered(63, 1), 63);  // ?
    EXPECT_EQ(Filtered(124, 1), 124);
    EXPECT_EQ(Filtered(228, 1), 228);  // ä
    EXPECT_EQ(Filtered(223, 1), 223);  // ß
    EXPECT_EQ(Filtered(-1, 1), 0);
    EXPECT_EQ(Filtered(-32768, 1), 0);
    EXPECT_EQ(Filtered(32767, 1), 32767);

    std::set<int> passing = Range(48, 57, {3, 8, 13, 22, 32, 33, 38, 39, 43, 45});
    passing = Range(63, 90, passing);
    ExpectOnlyPassing(1, passing, 95);
}

TEST(FilterKey, Numbers)
{
    EXPECT_EQ(Filtered(58, 2), 58);  // the colon passes
    EXPECT_EQ(Filtered(59, 2), 0);
    ExpectOnlyPassing(2, Range(48, 58, {3, 8, 13, 22, 44, 46}), 0);
}

TEST(FilterKey, Letters)
{
    std::set<int> passing = Range(65, 90, {3, 8, 13, 22});
    ExpectOnlyPassing(3, Range(97, 122, passing), 0);
}

TEST(FilterKey, HexadecimalDigitsAreRaised)
{
    EXPECT_EQ(Filtered(98, 4), 66);  // b becomes B
    for (int code = -300; code <= 400; ++code) {
        int expected = 0;
        if ((code >= 48 && code <= 57) || (code >= 65 && code <= 70) || code == 3 || code == 8 || code == 13 ||
            code == 22)
            expected = code;
        else if (code >= 97 && code <= 102)
            expected = code - 32;
        EXPECT_EQ(Filtered(code, 4), expected) << "code " << code;
    }
}

TEST(FilterKey, UpperAndLowerCaseModesConvertLettersOnly)
{
    for (int code = -300; code <= 400; ++code) {
        const int upper = (code >= 97 && code <= 122) ? code - 32 : code;
        const int lower = (code >= 65 && code <= 90) ? code + 32 : code;
        EXPECT_EQ(Filtered(code, 5), upper) << "code " << code;
        EXPECT_EQ(Filtered(code, 6), lower) << "code " << code;
    }
    EXPECT_EQ(Filtered(228, 5), 228);  // ä has no ASCII upper case here
}

TEST(FilterKey, OtherModesChangeNothing)
{
    for (int mode : {-1, 0, 7, 32767})
        for (int code : {-5, 0, 24, 42, 46, 92, 97, 228, 32767})
            EXPECT_EQ(Filtered(code, mode), code) << "mode " << mode << " code " << code;
}
