#include "rtl/NumberText.h"
#include "rtl/Exceptions.h"
#include "rtl/Format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace rtl;

TEST(FloatToStr, ShortestFormWithFifteenDigitsNonFiniteValuesAndSeparator) {
    EXPECT_EQ(FloatToStr(0), "0");
    EXPECT_EQ(FloatToStr(1.5), "1.5");
    EXPECT_EQ(FloatToStr(1.08345), "1.08345");
    EXPECT_EQ(FloatToStr(0.1 + 0.2), "0.3"); // 0.30000000000000004 rounds away at 15 digits
    EXPECT_EQ(FloatToStr(-2.5), "-2.5");
    EXPECT_EQ(FloatToStr(100), "100");
    EXPECT_EQ(FloatToStr(123456789012345.0), "123456789012345");
    EXPECT_EQ(FloatToStr(1234567890123456.0), "1.23456789012346E15");
    EXPECT_EQ(FloatToStr(1e20), "1E20");
    EXPECT_EQ(FloatToStr(0.0001), "0.0001");
    EXPECT_EQ(FloatToStr(0.00001), "1E-5");
    EXPECT_EQ(FloatToStr(1.5e-7), "1.5E-7");
    EXPECT_EQ(FloatToStr(2.0 / 3.0), "0.666666666666667");
    EXPECT_EQ(FloatToStr(std::numeric_limits<double>::max()), "1.79769313486232E308");
    EXPECT_EQ(FloatToStr(std::nan("")), "NAN");
    EXPECT_EQ(FloatToStr(HUGE_VAL), "INF");
    EXPECT_EQ(FloatToStr(-HUGE_VAL), "-INF");
    TFormatSettings fs;
    fs.DecimalSeparator = ',';
    EXPECT_EQ(FloatToStr(1.25, fs), "1,25");
    EXPECT_DOUBLE_EQ(StrToFloat("1,25", fs), 1.25);
    EXPECT_THROW(StrToFloat("1.25", fs), EConvertError);
}

TEST(StrToFloat, ReadsWhatFloatToStrWrites) {
    for (double v : {1.08345, -0.00012, 1e-5, 1.23456789012346e15, 42.0, 1e20})
        EXPECT_DOUBLE_EQ(StrToFloat(FloatToStr(v)), v) << v;
    EXPECT_DOUBLE_EQ(StrToFloat(" 12.5 "), 12.5);
    EXPECT_DOUBLE_EQ(StrToFloat("-3"), -3);
    EXPECT_DOUBLE_EQ(StrToFloat(".5"), 0.5);
    for (const char* bad : {"", " ", "abc", "1.2.3", "1e", "NAN", "INF", "1,5", "--1", "0x10"})
        EXPECT_THROW(StrToFloat(bad), EConvertError) << bad;
}

TEST(StrToInt, DecimalThirtyTwoBitOnlyAndIntToStr) {
    EXPECT_EQ(StrToInt("0"), 0);
    EXPECT_EQ(StrToInt("-17"), -17);
    EXPECT_EQ(StrToInt("+17"), 17);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), std::numeric_limits<int32_t>::min());
    for (const char* bad : {"", "abc", " 12", "12 ", "2147483648", "-2147483649", "1e3", "$10",
                            "99999999999999999999", "-", "+"})
        EXPECT_THROW(StrToInt(bad), EConvertError) << bad;
    try {
        StrToInt("abc");
        ADD_FAILURE();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
    }
    // and back, over the full range of both signs
    EXPECT_EQ(IntToStr(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
    EXPECT_EQ(UIntToStr(0x80000000u), "2147483648");
    EXPECT_EQ(UIntToStr(0xFFFFFFFFu), "4294967295");
    EXPECT_EQ(UIntToStr(std::numeric_limits<uint64_t>::max()), "18446744073709551615");
}

TEST(Format, SubstitutesInOrderAndRejectsMismatches) {
    EXPECT_EQ(Format("Unable to connect %s.\r%s", {"Sink", "boom"}),
              "Unable to connect Sink.\rboom");
    EXPECT_EQ(Format("JPEG error #%d", {int64_t(42)}), "JPEG error #42");
    EXPECT_EQ(Format("100%% %x", {uint64_t(255)}), "100% FF");
    EXPECT_THROW(Format("%s %s", {"one"}), EConvertError);
    EXPECT_THROW(Format("%d", {"text"}), EConvertError);
}
