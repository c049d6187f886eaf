#include "Split.h"

#include <gtest/gtest.h>

using workers::split;
using workers::split2;

using Items = std::vector<std::string>;

TEST(Split, CutsAtEveryDelimiterAndKeepsTheEmptyRemainder) {
    EXPECT_EQ(split("a;b;", ';'), (Items{"a", "b", ""}));
    EXPECT_EQ(split("abc", ';'), (Items{"abc"}));
    EXPECT_EQ(split("", ';'), (Items{""}));
    EXPECT_EQ(split(";;", ';'), (Items{"", "", ""}));
    EXPECT_EQ(split("x,y;z", ','), (Items{"x", "y;z"}));
}

TEST(Split2, ReturnsTheFieldOfTheIndexOrTheEmptyTextForAnyOtherIndex) {
    EXPECT_EQ(split2("a;b;c", 0, ';'), "a");
    EXPECT_EQ(split2("a;b;c", 1, ';'), "b");
    EXPECT_EQ(split2("a;b;c", 2, ';'), "c");
    EXPECT_EQ(split2("a;b;c", 3, ';'), "");
    EXPECT_EQ(split2("a;;c", 1, ';'), "");
    EXPECT_EQ(split2(";b", 0, ';'), "");
    EXPECT_EQ(split2("", 0, ';'), "");
    // Fields stand as they are: no trimming, no quotes.
    EXPECT_EQ(split2(" a ;\"b;c\"", 1, ';'), "\"b");
    EXPECT_EQ(split2(" a ;\"b;c\"", 0, ';'), " a ");
    // Negative and huge indexes.
    EXPECT_EQ(split2("a;b", -1, ';'), "");
    EXPECT_EQ(split2("a;b", -2147483647 - 1, ';'), "");
    EXPECT_EQ(split2("a;b", 2147483647, ';'), "");
}

TEST(Split2, OnlyThe255CharactersAfterAFieldAreLookedAt) {
    const std::string tail300(300, 'z');
    EXPECT_EQ(split2("x;" + tail300, 1, ';'), "");
    EXPECT_EQ(split2("x;" + tail300, 0, ';'), "x");

    // A field of 254 characters still has its delimiter inside the window; 255 does not.
    const std::string f254(254, 'a'), f255(255, 'b');
    EXPECT_EQ(split2("x;" + f254 + ";y", 1, ';'), f254);
    EXPECT_EQ(split2("x;" + f255 + ";y", 1, ';'), "");
    // The appended delimiter counts when it falls inside the window.
    EXPECT_EQ(split2("x;" + f254, 1, ';'), f254);
    EXPECT_EQ(split2("x;" + f255, 1, ';'), "");
    // Every later field is lost with it, even short ones.
    EXPECT_EQ(split2("x;" + f255 + ";y;z", 2, ';'), "");
    // The window is one for the whole rest of the line, not one per field.
    const std::string f100(100, 'c'), f200(200, 'd');
    EXPECT_EQ(split2("x;" + f100 + ";" + f100 + ";w", 3, ';'), "w");
    EXPECT_EQ(split2("x;" + f200 + ";" + f200 + ";w", 1, ';'), f200);
    EXPECT_EQ(split2("x;" + f200 + ";" + f200 + ";w", 2, ';'), "");
    EXPECT_EQ(split2("x;" + f200 + ";" + f200 + ";w", 3, ';'), "");
}
