// Pixel probes on real images: the device's edge rules, mix modes, clipping, text and copies.
#include "raster/QtRasterDevice.h"

#include "../fixtures/GuiApp.h"
#include "raster/RecordingDevice.h"
#include "rtl/Exceptions.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

using namespace gfx;
using namespace raster;

namespace {

constexpr TColor kWhite = 0xFFFFFF;
constexpr TColor kBlack = 0x000000;
constexpr TColor kRed = 0x0000FF;
constexpr TColor kBlue = 0xFF0000;

struct QtDevice : ::testing::Test {
    void SetUp() override { testing_support::EnsureGuiApp(); }
    QtRasterDevice dev{40, 30};

    void UsePen(TColor c, int width = 1, TPenStyle style = psSolid, TPenMode mode = pmCopy) {
        dev.SetPen({c, width, style, mode});
    }
    void UseBrush(TColor c, TBrushStyle style = bsSolid) { dev.SetBrush({c, style, {}}); }
    int CountColor(TColor c) {
        int n = 0;
        for (int y = 0; y < dev.Height(); ++y)
            for (int x = 0; x < dev.Width(); ++x) n += dev.PixelAt(x, y) == c;
        return n;
    }
};

// The smallest box {left, top, right, bottom} (inclusive) around every pixel that is not white.
TRect Inked(QtRasterDevice& d) {
    TRect r{99, 99, -1, -1};
    for (int y = 0; y < d.Height(); ++y)
        for (int x = 0; x < d.Width(); ++x)
            if (d.PixelAt(x, y) != kWhite)
                r = {std::min(r.left, x), std::min(r.top, y), std::max(r.right, x),
                     std::max(r.bottom, y)};
    return r;
}

TEST_F(QtDevice, RectangleExcludesRightAndBottomEdge) {
    EXPECT_EQ(dev.Image().format(), QImage::Format_RGB32);
    UsePen(kBlack);
    UseBrush(kRed);
    dev.Rectangle(5, 5, 15, 12);
    EXPECT_EQ(dev.PixelAt(5, 5), kBlack);   // outline at left, top
    EXPECT_EQ(dev.PixelAt(14, 11), kBlack); // outline at right - 1, bottom - 1
    EXPECT_EQ(dev.PixelAt(15, 11), kWhite); // right edge excluded
    EXPECT_EQ(dev.PixelAt(14, 12), kWhite); // bottom edge excluded
    EXPECT_EQ(dev.PixelAt(6, 6), kRed);
    EXPECT_EQ(dev.PixelAt(13, 10), kRed);
    EXPECT_EQ(CountColor(kBlack) + CountColor(kRed), 10 * 7);
    // Without a pen the fill is one pixel smaller on the right and bottom.
    UsePen(kBlack, 1, psClear);
    UseBrush(kBlue);
    dev.Rectangle(20, 5, 30, 12);
    EXPECT_EQ(CountColor(kBlue), 9 * 6);
    EXPECT_EQ(dev.PixelAt(28, 10), kBlue);
    EXPECT_EQ(dev.PixelAt(29, 10), kWhite);
}

TEST_F(QtDevice, NotXorRectangleInvertsOutlineAndInteriorOnce) {
    UsePen(kBlack, 1, psSolid, pmNotXor);
    UseBrush(kBlack);
    dev.Rectangle(5, 5, 15, 12);
    EXPECT_EQ(CountColor(kBlack), 10 * 7);
}

TEST_F(QtDevice, FillRectIsHalfOpenAndNegativePatBltPaintsTowardsSmallerCoordinates) {
    UseBrush(kBlue);
    dev.FillRect({2, 3, 6, 8});
    EXPECT_EQ(Inked(dev), (TRect{2, 3, 5, 7}));
    EXPECT_EQ(CountColor(kBlue), 4 * 5);
    dev.PatBlt(10, 10, 3, -2);
    EXPECT_EQ(CountColor(kBlue), 4 * 5 + 6);
    EXPECT_EQ(dev.PixelAt(10, 8), kBlue);
    EXPECT_EQ(dev.PixelAt(12, 9), kBlue);
    EXPECT_EQ(dev.PixelAt(10, 10), kWhite);
}

TEST_F(QtDevice, EllipseStaysInsideItsBox) {
    UsePen(kBlack);
    UseBrush(kRed);
    dev.Ellipse(10, 10, 20, 20);
    EXPECT_EQ(Inked(dev), (TRect{10, 10, 19, 19}));
    EXPECT_EQ(dev.PixelAt(15, 15), kRed);
}

TEST_F(QtDevice, PieCoversTheSameBoxAsTheEllipse) {
    UsePen(kBlack);
    UseBrush(kRed);
    dev.Pie(10, 10, 20, 20, 20, 15, 20, 15); // equal rays: the whole ellipse
    EXPECT_EQ(dev.PixelAt(10, 15), kBlack);
    EXPECT_EQ(dev.PixelAt(19, 15), kBlack);
    EXPECT_EQ(dev.PixelAt(15, 19), kBlack);
    EXPECT_EQ(dev.PixelAt(20, 15), kWhite);
    EXPECT_EQ(dev.PixelAt(15, 20), kWhite);
    QtRasterDevice quarter(40, 30);
    quarter.SetBrush({kRed, bsSolid, {}});
    quarter.Pie(10, 10, 20, 20, 20, 15, 15, 10); // counter-clockwise from 3 to 12 o'clock
    EXPECT_EQ(quarter.PixelAt(17, 12), kRed);
    EXPECT_EQ(quarter.PixelAt(12, 12), kWhite);
    EXPECT_EQ(quarter.PixelAt(17, 18), kWhite);
}

TEST_F(QtDevice, NotXorPenInvertsTwiceToTheOriginal) {
    UseBrush(kRed);
    dev.FillRect({0, 0, 20, 20});
    UsePen(kBlack, 1, psSolid, pmNotXor);
    dev.MoveTo(0, 5);
    dev.LineTo(20, 5);
    // not (black xor red) = white xor red = cyan
    EXPECT_EQ(dev.PixelAt(3, 5), 0xFFFF00u);
    dev.MoveTo(22, 5);
    dev.LineTo(30, 5);
    EXPECT_EQ(dev.PixelAt(25, 5), 0x000000u); // not (black xor white)
    dev.MoveTo(0, 5);
    dev.LineTo(20, 5);
    EXPECT_EQ(dev.PixelAt(3, 5), kRed);
    // Fills ignore the mix mode.
    UseBrush(kBlue);
    dev.FillRect({30, 0, 32, 2});
    EXPECT_EQ(dev.PixelAt(30, 0), kBlue);
}

TEST_F(QtDevice, ClipRectanglesIntersectAndPolygonReplaces) {
    UseBrush(kRed);
    dev.ClipRect({0, 0, 20, 20});
    dev.ClipRect({10, 10, 30, 30});
    dev.FillRect({0, 0, 40, 30});
    EXPECT_EQ(CountColor(kRed), 100);
    const TPoint tri[4] = {{0, 0}, {4, 0}, {4, 4}, {0, 4}};
    dev.ClipPolygon(tri, 4);
    UseBrush(kBlue);
    dev.FillRect({0, 0, 40, 30});
    EXPECT_EQ(CountColor(kBlue), 16);
    dev.RemoveClip();
    dev.SetPixel(39, 29, kBlue);
    EXPECT_EQ(dev.PixelAt(39, 29), kBlue);
}

TEST_F(QtDevice, HatchBrushGapsShowThroughOrTakeTheOpaqueBackground) {
    dev.SetBkMode(cbmTransparent);
    UseBrush(kBlack, bsHorizontal);
    dev.FillRect({0, 0, 16, 16});
    const int black = CountColor(kBlack);
    EXPECT_GT(black, 0);
    EXPECT_LT(black, 16 * 16);
    EXPECT_EQ(CountColor(kWhite) + black, 40 * 30);
    dev.SetBkMode(cbmOpaque);
    dev.SetBkColor(kBlue);
    UseBrush(kBlack, bsCross);
    dev.FillRect({20, 0, 36, 16});
    EXPECT_EQ(CountColor(kBlack) + CountColor(kBlue), black + 16 * 16);
    EXPECT_GT(CountColor(kBlue), 0);
}

TEST_F(QtDevice, ArialEightPointIsElevenPixels) {
    dev.SetFont({"Arial", 8, 0, 0});
    TSize s;
    ASSERT_TRUE(dev.TextExtent("W", s));
    EXPECT_EQ(s.cy, 12); // Liberation Sans at 11 px: ascent 10, descent 2
    TSize wide;
    dev.TextExtent("WWWW", wide);
    EXPECT_EQ(wide.cx, 4 * s.cx);
}

TEST_F(QtDevice, TextAlignmentPlacesTheCell) {
    QtRasterDevice big(120, 60);
    big.SetFont({"Arial", 8, 0, 0});
    big.SetTextColor(kBlack);
    big.SetBkMode(cbmOpaque);
    big.SetBkColor(kRed);
    TSize s;
    big.TextExtent("Text", s);
    big.SetTextAlign(TA_RIGHT | TA_BOTTOM);
    big.TextOut(100, 40, "Text");
    // The opaque cell ends just left of and above the reference point.
    EXPECT_NE(big.PixelAt(99, 39), kWhite);
    EXPECT_EQ(big.PixelAt(100, 39), kWhite);
    EXPECT_EQ(big.PixelAt(99, 40), kWhite);
    EXPECT_NE(big.PixelAt(100 - s.cx, 40 - s.cy), kWhite);
    EXPECT_EQ(big.PixelAt(99 - s.cx, 40 - s.cy), kWhite);
}

// Text is set into the image from stamps of its glyphs, kept per font and angle; a glyph run
// through the painter is the reference. One device draws every case in turn, so a stamp kept
// from an earlier face, size, style, angle, colour or clip would show.
TEST_F(QtDevice, TextSetsThePaintersPixels) {
    constexpr int W = 160, H = 160;
    QtRasterDevice device(W, H);
    std::mt19937 random(7);
    const auto pick = [&](int n) { return static_cast<int>(random() % n); };
    const char* faces[] = {"Arial", "Liberation Serif"};
    const int angles[] = {0, 900, 1800, 2700, -900, 450};
    const TColor colors[] = {kBlack, kRed, kBlue};
    for (int round = 0; round < 300; ++round) {
        const Font font{faces[pick(2)], 6 + pick(10), static_cast<TFontStyles>(pick(4)),
                        angles[pick(6)]};
        std::string text;
        // Printable Latin-1, where the 8-bit text and its characters agree.
        for (int i = 1 + pick(12); i > 0; --i) {
            const int c = 32 + pick(191);
            text += static_cast<char>(c < 127 ? c : c + 33);
        }
        const int x = 20 + pick(120), y = 20 + pick(120);
        const TColor color = colors[pick(3)];
        const bool clipped = pick(3) == 0;
        const QRect clip(pick(W), pick(H), pick(W), pick(H));

        device.RemoveClip();
        device.SetBrush({kWhite, bsSolid, {}});
        device.FillRect({0, 0, W, H});
        device.SetFont(font);
        device.SetTextColor(color);
        device.SetBkMode(cbmTransparent);
        if (clipped)
            device.ClipRect({clip.left(), clip.top(), clip.right() + 1, clip.bottom() + 1});
        device.TextOut(x, y, text);

        QImage expected(W, H, QImage::Format_RGB32);
        expected.fill(Qt::white);
        QFont qfont(QString::fromLatin1(font.name.c_str()));
        qfont.setPixelSize(static_cast<int>(std::lround(font.size * 96 / 72.0)));
        qfont.setStyleStrategy(QFont::NoAntialias);
        qfont.setHintingPreference(QFont::PreferFullHinting);
        qfont.setBold(font.style & fsBold);
        qfont.setItalic(font.style & fsItalic);
        const QRawFont raw = QRawFont::fromFont(qfont);
        const QString chars = QString::fromLatin1(text.c_str());
        QList<quint32> glyphs = raw.glyphIndexesForString(chars);
        QList<QPointF> positions;
        int advance = 0;
        for (quint32 glyph : glyphs) {
            positions.append(QPointF(advance, 0));
            QPointF step;
            raw.advancesForGlyphIndexes(&glyph, &step, 1, QRawFont::SeparateAdvances);
            advance += static_cast<int>(std::lround(step.x()));
        }
        QGlyphRun run;
        run.setRawFont(raw);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        QPainter painter(&expected);
        painter.setPen(QColor(GetRValue(color), GetGValue(color), GetBValue(color)));
        if (clipped) painter.setClipRect(clip);
        painter.setTransform(QTransform().translate(x, y).rotate(-font.escapement / 10.0));
        painter.drawGlyphRun(QPointF(0, QFontMetrics(qfont).ascent()), run);
        painter.end();
        ASSERT_EQ(device.Image(), expected)
            << "round " << round << ": " << font.name << " " << font.size << " " << int(font.style)
            << " " << font.escapement << " \"" << text << "\"";
    }
}

TEST_F(QtDevice, BlockCopyBetweenDevicesTakesTheSourcesPendingLines) {
    auto buffer = dev.CreateCompatible(10, 10, false);
    buffer->SetBrush({kRed, bsSolid, {}});
    buffer->FillRect({0, 0, 10, 10});
    buffer->SetPen({kBlue, 1, psSolid, pmCopy});
    buffer->MoveTo(0, 9);
    buffer->LineTo(10, 9);
    dev.BlockCopy(5, 6, 10, 10, *buffer, 0, 0);
    EXPECT_EQ(CountColor(kRed), 90);
    EXPECT_EQ(CountColor(kBlue), 10);
    EXPECT_EQ(dev.PixelAt(5, 6), kRed);
    EXPECT_EQ(dev.PixelAt(14, 15), kBlue);
    RecordingDevice other;
    EXPECT_THROW(dev.BlockCopy(0, 0, 1, 1, other, 0, 0), rtl::EInvalidGraphicOperation);
}

TEST_F(QtDevice, OversizedDeviceIsRefusedBeforeAllocating) {
    EXPECT_THROW(QtRasterDevice(40000, 10), rtl::EInvalidGraphicOperation);
    EXPECT_THROW(dev.CreateCompatible(10, 1 << 30, false), rtl::EInvalidGraphicOperation);
    QtRasterDevice empty(0, -5);
    EXPECT_EQ(empty.Width(), 0);
    EXPECT_EQ(empty.Height(), 0);
    dev.BlockCopy(0, 0, empty.Width(), empty.Height(), empty, 0, 0);
    EXPECT_EQ(CountColor(kWhite), 40 * 30);
}

TEST_F(QtDevice, MonochromeDeviceDrawsBlackOrWhite) {
    QtRasterDevice mono(4, 4, true);
    mono.SetBrush({0x00C0C0, bsSolid, {}});
    mono.FillRect({0, 0, 2, 2});
    mono.SetBrush({0x400000, bsSolid, {}});
    mono.FillRect({2, 2, 4, 4});
    EXPECT_EQ(mono.PixelAt(0, 0), kWhite);
    EXPECT_EQ(mono.PixelAt(3, 3), kBlack);
}

TEST(ColorToRGB, SystemColoursAndPlainValues) {
    EXPECT_EQ(ColorToRGB(0x00123456), 0x00123456u);
    EXPECT_EQ(ColorToRGB(kSystemColorFlag | COLOR_BTNFACE), RGB(192, 192, 192));
    EXPECT_EQ(ColorToRGB(kSystemColorFlag | COLOR_WINDOW), kWhite);
    EXPECT_EQ(ColorToRGB(kSystemColorFlag | 200), 0u); // unknown index
    EXPECT_EQ(ColorToRGB(0x20000000), 0u);             // sentinel values keep the low bytes
}

TEST_F(QtDevice, AWideLineOfZeroLengthShowsADot) {
    UsePen(kBlack, 2);
    dev.MoveTo(35, 25);
    dev.LineTo(35, 25);
    EXPECT_EQ(dev.PixelAt(35, 25), kBlack);
    EXPECT_EQ(dev.PixelAt(34, 24), kBlack);
}

// Lines are set into the image by the device's own walk; the painter, with a thin flat pen (dashed
// as the style asks) and shifted copies for the wider pens, is the reference. Random polylines: far
// jumps that turn back, small zigzags, tick-like runs, points off the image and polylines that
// close on their start (which the painter draws itself), under a clip rectangle or triangle in half
// the cases.
TEST_F(QtDevice, LinesSetThePaintersPixels) {
    constexpr int W = 64, H = 48;
    std::mt19937 random(42);
    const auto pick = [&](int n) { return static_cast<int>(random() % n); };
    for (int round = 0; round < 3000; ++round) {
        // Kind 5: one upright or level segment, either way.
        const int kind = round % 6;
        const int count = kind == 5 ? 2 : 2 + pick(10);
        std::vector<TPoint> pts;
        int x = pick(W), y = pick(H);
        for (int i = 0; i < count; ++i) {
            if (kind == 5 && i == 1) {
                if (pick(2))
                    y = pick(H);
                else
                    x = pick(W);
            } else if (kind == 0) {
                x = pick(W);
                y = pick(H);
            } else if (kind == 1) {
                x = std::clamp(x + pick(7) - 3, 0, W - 1);
                y = std::clamp(y + pick(7) - 3, 0, H - 1);
            } else if (kind == 2) {
                x = std::min(x + pick(4), W - 1);
                y = std::clamp(y + pick(9) - 4, 0, H - 1);
            } else if (kind == 3) {
                x = pick(W + 20) - 10;
                y = pick(H + 20) - 10;
            }
            pts.push_back({x, y});
        }
        if (kind == 4) pts.push_back(pts.front());
        const int width = kind == 5 ? 1 + pick(3) : 1 + round % 3;
        // One-pixel pens take each dash style, over a transparent or an opaque background.
        const TPenStyle styles[] = {psSolid, psDash, psDot, psDashDot, psDashDotDot, psAlternate};
        const QList<qreal> patterns[] = {{},    {18, 6}, {3, 3}, {9, 6, 3, 6}, {9, 3, 3, 3, 3, 3},
                                         {1, 1}};
        const int style = width == 1 ? pick(6) : 0;
        const bool opaque = pick(4) == 0;
        const int clipKind = pick(6); // 0 and 1 a rectangle, 2 a triangle
        const QRect clip(pick(W), pick(H), pick(W), pick(H));
        const TPoint corners[] = {{pick(W), pick(H)}, {pick(W), pick(H)}, {pick(W), pick(H)}};
        QPolygon triangle;
        for (const TPoint& c : corners) triangle << QPoint(c.x, c.y);

        QtRasterDevice device(W, H);
        device.SetPen({kRed, width, styles[style], pmCopy});
        device.SetBkColor(kBlue);
        device.SetBkMode(opaque ? cbmOpaque : cbmTransparent);
        if (clipKind < 2)
            device.ClipRect({clip.left(), clip.top(), clip.right() + 1, clip.bottom() + 1});
        else if (clipKind == 2)
            device.ClipPolygon(corners, 3);
        device.Polyline(pts.data(), static_cast<int>(pts.size()));

        QImage expected(W, H, QImage::Format_RGB32);
        expected.fill(Qt::white);
        QPainter painter(&expected);
        QPen pen(QColor(255, 0, 0));
        pen.setCapStyle(Qt::FlatCap);
        if (style) pen.setDashPattern(patterns[style]);
        painter.setPen(pen);
        painter.setBackground(QColor(0, 0, 255));
        painter.setBackgroundMode(opaque ? Qt::OpaqueMode : Qt::TransparentMode);
        if (clipKind < 2)
            painter.setClipRect(clip);
        else if (clipKind == 2)
            painter.setClipRegion(QRegion(triangle, Qt::OddEvenFill));
        std::vector<QPoint> line;
        for (const TPoint& p : pts) line.emplace_back(p.x, p.y);
        const QPoint band[] = {{0, 0}, {-1, 0}, {0, -1}, {1, 0}, {0, 1}};
        for (int i = 0; i < (width == 1 ? 1 : width == 2 ? 3 : 5); ++i) {
            painter.setTransform(QTransform::fromTranslate(band[i].x(), band[i].y()));
            painter.drawPolyline(line.data(), static_cast<int>(line.size()));
        }
        painter.end();
        ASSERT_EQ(device.Image(), expected)
            << "round " << round << ", width " << width << ", style " << style;
    }
}

// Fills and rectangles with a solid brush and a thin pen are set straight into the image, cut to
// a rectangular clip; the painter's own fills and outlines are the reference. One device draws
// every case in turn, so a brush or clip kept from an earlier shape would show.
TEST_F(QtDevice, RectanglesAndFillsSetThePaintersPixels) {
    constexpr int W = 120, H = 60;
    QtRasterDevice device(W, H);
    QImage expected(W, H, QImage::Format_RGB32);
    expected.fill(Qt::white);
    std::mt19937 random(11);
    const auto pick = [&](int n) { return static_cast<int>(random() % n); };
    const TColor colors[] = {kBlack, kRed, kBlue, 0x00FF00};
    const auto qcolor = [](TColor c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); };
    device.SetBkMode(cbmTransparent);
    for (int round = 0; round < 2000; ++round) {
        // Boxes either way round, some past the image's edges, some wider than a direct fill.
        const int left = pick(W + 20) - 10, top = pick(H + 20) - 10;
        const int right = left + pick(90) - 5, bottom = top + pick(30) - 3;
        const int op = pick(3); // FillRect, Rectangle with a thin pen, with no pen
        const TColor penColor = colors[pick(4)], brushColor = colors[pick(4)];
        const bool clearBrush = pick(5) == 0;
        const bool clipped = pick(3) == 0;
        const QRect clip(pick(W), pick(H), pick(W), pick(H));

        device.RemoveClip();
        if (clipped)
            device.ClipRect({clip.left(), clip.top(), clip.right() + 1, clip.bottom() + 1});
        device.SetPen({penColor, 1, op == 2 ? psClear : psSolid, pmCopy});
        device.SetBrush({brushColor, clearBrush ? bsClear : bsSolid, {}});
        if (op == 0)
            device.FillRect({left, top, right, bottom});
        else
            device.Rectangle(left, top, right, bottom);

        QPainter painter(&expected);
        if (clipped) painter.setClipRect(clip);
        const QRect box = QRect(QPoint(std::min(left, right), std::min(top, bottom)),
                                QPoint(std::max(left, right) - 1, std::max(top, bottom) - 1));
        const QBrush brush = clearBrush ? QBrush() : QBrush(qcolor(brushColor));
        const auto fill = [&](const QRect& r, const QBrush& b) {
            if (!r.isEmpty()) painter.fillRect(r, b);
        };
        if (op == 0) {
            fill(box, brush);
        } else if (op == 2) {
            fill(box.adjusted(0, 0, -1, -1), brush);
        } else if (box.width() <= 2 || box.height() <= 2) {
            fill(box, qcolor(penColor)); // all outline
        } else {
            fill(box.adjusted(1, 1, -1, -1), brush);
            QPen pen(qcolor(penColor));
            pen.setCapStyle(Qt::SquareCap);
            painter.setPen(pen);
            painter.drawRect(box.adjusted(0, 0, -1, -1));
        }
        painter.end();
        ASSERT_EQ(device.Image(), expected) << "round " << round << ", op " << op << ", box "
                                            << left << " " << top << " " << right << " " << bottom;
    }
}

TEST_F(QtDevice, WideNotXorLineInvertsEachPixelOnce) {
    UsePen(kBlack, 2, psSolid, pmNotXor);
    dev.MoveTo(5, 10);
    dev.LineTo(25, 10);
    EXPECT_EQ(dev.PixelAt(15, 10), kBlack);
    EXPECT_EQ(dev.PixelAt(15, 9), kBlack);
    EXPECT_EQ(CountColor(kBlack) + CountColor(kWhite), 40 * 30);
}

TEST_F(QtDevice, PendingLinesAreDrawnBeforeLaterOperations) {
    UsePen(kRed);
    dev.MoveTo(0, 5);
    dev.LineTo(20, 5);
    UseBrush(kBlue);
    dev.FillRect({0, 0, 10, 10}); // covers the left half of the line drawn before it
    EXPECT_EQ(dev.PixelAt(5, 5), kBlue);
    EXPECT_EQ(dev.PixelAt(15, 5), kRed);
    // A clip set after a line does not cut that line.
    dev.MoveTo(0, 20);
    dev.LineTo(30, 20);
    dev.ClipRect({0, 0, 5, 5});
    EXPECT_EQ(dev.PixelAt(25, 20), kRed);
}

} // namespace

// Smooth drawing antialiases lines, pies and text; off again, the device sets exactly the pixels
// of one that never smoothed, and devices made compatible with a smooth one smooth too.
TEST_F(QtDevice, SmoothDrawingShadesEdgesAndOffKeepsTheExactPixels) {
    const auto draw = [](QtRasterDevice& d) {
        d.SetPen({kBlack, 1, psSolid, pmCopy});
        d.SetBrush({kRed, bsSolid, {}});
        d.MoveTo(2, 3);
        d.LineTo(30, 14);
        d.Pie(40, 2, 70, 32, 70, 17, 55, 2);
        d.SetFont({"Arial", 12, 0, 0});
        d.TextOut(2, 18, "Wg");
    };
    const auto shaded = [](QtRasterDevice& d, int left, int top, int right, int bottom) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) {
                const TColor c = d.PixelAt(x, y);
                n += c != kWhite && c != kBlack && c != kRed;
            }
        return n;
    };
    QtRasterDevice exact(80, 40), toggled(80, 40), smooth(80, 40);
    toggled.SetSmooth(true);
    toggled.SetSmooth(false);
    smooth.SetSmooth(true);
    EXPECT_FALSE(exact.Smooth());
    for (QtRasterDevice* d : {&exact, &toggled, &smooth}) draw(*d);
    EXPECT_EQ(exact.Image(), toggled.Image());
    EXPECT_EQ(shaded(exact, 0, 0, 80, 40), 0);
    EXPECT_GT(shaded(smooth, 0, 0, 32, 16), 4);  // the line
    EXPECT_GT(shaded(smooth, 40, 0, 80, 40), 4); // the pie's rim
    EXPECT_GT(shaded(smooth, 0, 17, 40, 40), 4); // the text
    const auto copy = smooth.CreateCompatible(10, 10, false);
    EXPECT_TRUE(static_cast<QtRasterDevice&>(*copy).Smooth());
}
