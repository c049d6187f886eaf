#include "rtl/FormatFloat.h"

#include <gtest/gtest.h>

#include <limits>

using rtl::FormatFloat;

TEST(FormatFloat, EnginePatterns) {
    EXPECT_EQ(FormatFloat("#,##0.###", 1234567.891), "1,234,567.891");
    EXPECT_EQ(FormatFloat("#,##0.###", 0), "0");
    EXPECT_EQ(FormatFloat("#,##0.###", 1.5), "1.5");
    EXPECT_EQ(FormatFloat("#,##0.###", -1234.5), "-1,234.5");
    EXPECT_EQ(FormatFloat("#,##0.###", 999.9996), "1,000");
    EXPECT_EQ(FormatFloat("#,##0.####", 1.23456789), "1.2346");
    EXPECT_EQ(FormatFloat("#,##0.##", 100), "100");
    EXPECT_EQ(FormatFloat("##0.## %", 12.345), "12.35 %");
    EXPECT_EQ(FormatFloat("##0.## %", 100), "100 %");
    EXPECT_EQ(FormatFloat("##0.## %", 0.001), "0 %");
}

TEST(FormatFloat, RoundsHalfAwayFromZeroOnTheDecimalDigits) {
    EXPECT_EQ(FormatFloat("0", 2.5), "3");
    EXPECT_EQ(FormatFloat("0", -2.5), "-3");
    EXPECT_EQ(FormatFloat("0", 3.5), "4");
    EXPECT_EQ(FormatFloat("0.00", 0.125), "0.13");
    // 1.005 is stored slightly below; its 15-digit text still rounds up
    EXPECT_EQ(FormatFloat("0.00", 1.005), "1.01");
    EXPECT_EQ(FormatFloat("0.0", 0.1 + 0.2), "0.3");
    EXPECT_EQ(FormatFloat("0", 0.4), "0");
    // a negative value that rounds to zero shows no sign
    EXPECT_EQ(FormatFloat("0.0", -0.04), "0.0");
}

TEST(FormatFloat, DigitPlacesAndGrouping) {
    EXPECT_EQ(FormatFloat("000", 7), "007");
    EXPECT_EQ(FormatFloat("#", 0), "");
    EXPECT_EQ(FormatFloat("#.##", 0.5), ".5");
    EXPECT_EQ(FormatFloat("0.00", 1), "1.00");
    EXPECT_EQ(FormatFloat("0.0#", 1.25), "1.25");
    EXPECT_EQ(FormatFloat("0.0#", 1.2), "1.2");
    EXPECT_EQ(FormatFloat("#,##0", 1e15), "1,000,000,000,000,000");
    EXPECT_EQ(FormatFloat("#,##0", 999), "999");
    EXPECT_EQ(FormatFloat("#,##0", 1000), "1,000");
    EXPECT_EQ(FormatFloat("0.###", 0.0001234), "0");
    EXPECT_EQ(FormatFloat("0.########", 0.0001234), "0.0001234");
}

TEST(FormatFloat, LiteralsQuotesAndSections) {
    EXPECT_EQ(FormatFloat("'$'#,##0.00", 1234.5), "$1,234.50");
    EXPECT_EQ(FormatFloat("\"x=\"0;\"y=\"0", -3), "y=3");
    EXPECT_EQ(FormatFloat("0;(0)", -3), "(3)");
    EXPECT_EQ(FormatFloat("0;(0);zero", 0), "zero");
    EXPECT_EQ(FormatFloat("0.0;(0.0);zero", 0.04), "zero");
    EXPECT_EQ(FormatFloat("0;;zero", -2), "-2");
    EXPECT_EQ(FormatFloat("0 kg", 12), "12 kg");
    EXPECT_EQ(FormatFloat("'0;#'0", 5), "0;#5");
}

TEST(FormatFloat, Exponents) {
    EXPECT_EQ(FormatFloat("0.00E+00", 12345), "1.23E+04");
    EXPECT_EQ(FormatFloat("0.00E+00", 0.00012345), "1.23E-04");
    EXPECT_EQ(FormatFloat("0.00E-00", 12345), "1.23E04");
    EXPECT_EQ(FormatFloat("0.00e+0", -99999), "-1.00e+5");
    EXPECT_EQ(FormatFloat("0.0E+00", 0), "0.0E+00");
}

TEST(FormatFloat, SettingsNonFiniteAndEmptyPattern) {
    rtl::TFormatSettings fs;
    fs.DecimalSeparator = ',';
    fs.ThousandSeparator = '.';
    EXPECT_EQ(FormatFloat("#,##0.###", 1234.5, fs), "1.234,5");
    EXPECT_EQ(FormatFloat("#,##0.###", std::numeric_limits<double>::quiet_NaN()), "NAN");
    EXPECT_EQ(FormatFloat("#,##0.###", std::numeric_limits<double>::infinity()), "INF");
    EXPECT_EQ(FormatFloat("#,##0.###", -std::numeric_limits<double>::infinity()), "-INF");
    EXPECT_EQ(FormatFloat("", 0.25), "0.25");
    EXPECT_EQ(FormatFloat("#,##0", 1.7976931348623157e308).size(), 309u + 102u);
    EXPECT_EQ(FormatFloat("#,##0.###", 5e-324), "0");
}
