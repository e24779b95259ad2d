#include <gtest/gtest.h>

#include "app/command_line.h"

using AppModul::CommandLineTail;
using AppModul::StartPathFromTail;

TEST(CommandLineTail, SkipsTheProgramNameAndTheBlanksAfterIt)
{
    EXPECT_EQ(CommandLineTail(L"\"C:\\Prog Dir\\Quadrino.exe\" C:\\Bilder\\Wand.bmp"), L"C:\\Bilder\\Wand.bmp");
    EXPECT_EQ(CommandLineTail(L"Quadrino.exe \t  C:\\Meine Bilder\\Wand 1.bmp"), L"C:\\Meine Bilder\\Wand 1.bmp");
    EXPECT_EQ(CommandLineTail(L"\"Q.exe\"\"C:\\a.bmp\""), L"\"C:\\a.bmp\"");
}

TEST(CommandLineTail, EmptyWithoutArguments)
{
    EXPECT_EQ(CommandLineTail(L"\"C:\\Prog Dir\\Quadrino.exe\""), L"");
    EXPECT_EQ(CommandLineTail(L"\"C:\\Prog Dir\\Quadrino.exe\"   "), L"");
    EXPECT_EQ(CommandLineTail(L"Quadrino.exe"), L"");
    EXPECT_EQ(CommandLineTail(L""), L"");
    EXPECT_EQ(CommandLineTail(L"\"Quadrino.exe"), L"");
}

TEST(CommandLineTail, KeepsTheRestWhole)
{
    EXPECT_EQ(CommandLineTail(L"Q.exe C:\\A.BMP D:\\B.GIF"), L"C:\\A.BMP D:\\B.GIF");
    EXPECT_EQ(CommandLineTail(L"Q.exe \"a\" \"b\""), L"\"a\" \"b\"");
}

TEST(StartPathFromTail, RemovesOnePairAroundTheWholeText)
{
    EXPECT_EQ(StartPathFromTail(L"\"C:\\Meine Bilder\\Wand 1.bmp\""), L"C:\\Meine Bilder\\Wand 1.bmp");
    EXPECT_EQ(StartPathFromTail(L"\"\""), L"");
}

TEST(StartPathFromTail, TakesEverythingElseWhole)
{
    EXPECT_EQ(StartPathFromTail(L"C:\\Meine Bilder\\Wand 1.bmp"), L"C:\\Meine Bilder\\Wand 1.bmp");
    EXPECT_EQ(StartPathFromTail(L"\"C:\\a.bmp\" \"C:\\b.bmp\""), L"\"C:\\a.bmp\" \"C:\\b.bmp\"");
    EXPECT_EQ(StartPathFromTail(L"\"C:\\a.bmp"), L"\"C:\\a.bmp");
    EXPECT_EQ(StartPathFromTail(L"C:\\a.bmp\""), L"C:\\a.bmp\"");
    EXPECT_EQ(StartPathFromTail(L"\""), L"\"");
    EXPECT_EQ(StartPathFromTail(L"\"C:\\a\"b.bmp\""), L"\"C:\\a\"b.bmp\"");
    EXPECT_EQ(StartPathFromTail(L""), L"");
}
