// The recording device's text metrics and compatible devices; its call log is checked by every
// exact-call test of the canvas suite.
#include "raster/RecordingDevice.h"

#include <gtest/gtest.h>

using namespace gfx;
using namespace raster;

TEST(RecordingDevice, FixedTextMetrics) {
    RecordingDevice dev;
    TSize s;
    dev.SetFont({"Arial", 8, 0, 0});
    ASSERT_TRUE(dev.TextExtent("abcd", s));
    EXPECT_EQ(s, (TSize{24, 12}));
    dev.SetFont({"Arial", 10, 0, 0});
    dev.TextExtent("ab", s);
    EXPECT_EQ(s, (TSize{16, 15})); // 7.5 and 15 rounded half away from zero
    dev.SetFailTextExtent(true);
    EXPECT_FALSE(dev.TextExtent("ab", s));
    EXPECT_EQ(s, (TSize{0, 0}));
}
