#include "raster/QtRasterDevice.h"

#include "GlyphStamps.h"
#include "ThinPolyline.h"

#include "rtl/AnsiText.h"
#include "rtl/Exceptions.h"
#include "rtl/Format.h"

#include <QPolygon>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace raster {

using namespace gfx;

namespace {

// The widest fill set straight into the image.
constexpr int kDirectFillWidth = 64;

// Dash lengths of the cosmetic pen styles, in pixels.
const QList<qreal> kDash = {18, 6};
const QList<qreal> kDot = {3, 3};
const QList<qreal> kDashDot = {9, 6, 3, 6};
const QList<qreal> kDashDotDot = {9, 3, 3, 3, 3, 3};
const QList<qreal> kAlternate = {1, 1};

Qt::BrushStyle HatchStyle(TBrushStyle style) {
    switch (style) {
    case bsHorizontal:
        return Qt::HorPattern;
    case bsVertical:
        return Qt::VerPattern;
    case bsFDiagonal:
        return Qt::FDiagPattern;
    case bsBDiagonal:
        return Qt::BDiagPattern;
    case bsCross:
        return Qt::CrossPattern;
    case bsDiagCross:
        return Qt::DiagCrossPattern;
    default:
        return Qt::SolidPattern;
    }
}

// Arcs and pies are paths: set on pixel centres they cover the same pixels as an ellipse.
QRectF PathBox(const QRect& box) {
    return QRectF(box.left() + 0.5, box.top() + 0.5, box.width() - 1, box.height() - 1);
}

// Sizes below 1 make a 1 x 1 image; sizes past the device limit are refused before allocating.
QSize CheckedSize(int width, int height) {
    constexpr int kMaxSide = 32767;
    if (width > kMaxSide || height > kMaxSide)
        throw rtl::EInvalidGraphicOperation(
            rtl::Format("Bitmap size %d x %d is too large", {width, height}));
    return QSize(std::max(width, 1), std::max(height, 1));
}

QRect NormalRect(int left, int top, int right, int bottom) {
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    return QRect(left, top, right - left, bottom - top);
}

} // namespace

QtRasterDevice::QtRasterDevice(int width, int height, bool monochrome)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      image_(CheckedSize(width, height), QImage::Format_RGB32), monochrome_(monochrome),
      stamps_(std::make_unique<GlyphStamps>()) {
    if (image_.isNull())
        throw rtl::EInvalidGraphicOperation(
            rtl::Format("Out of memory for a %d x %d bitmap", {width, height}));
    image_.fill(Qt::white);
    painter_.begin(&image_);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, false);
    painter_.setBackground(QColor(Qt::white));
    painter_.setBackgroundMode(Qt::TransparentMode);
    BuildPen();
    BuildBrush();
    textPen_ = QPen(ToQColor(textColor_));
    ClipChanged();
}

QtRasterDevice::~QtRasterDevice() {
    painter_.end();
}

const QImage& QtRasterDevice::Image() {
    FlushLine();
    return image_;
}

TColor QtRasterDevice::PixelAt(int x, int y) {
    FlushLine();
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    const QRgb p = image_.pixel(x, y);
    return RGB(qRed(p), qGreen(p), qBlue(p));
}

void QtRasterDevice::SetSmooth(bool on) {
    if (on == smooth_) return;
    FlushLine();
    smooth_ = on;
    painter_.setRenderHint(QPainter::Antialiasing, on);
    painter_.setRenderHint(QPainter::TextAntialiasing, on);
    fontDirty_ = true;
}

std::unique_ptr<RasterDevice> QtRasterDevice::CreateCompatible(int width, int height,
                                                               bool monochrome) const {
    auto device = std::make_unique<QtRasterDevice>(width, height, monochrome);
    device->SetSmooth(smooth_);
    return device;
}

QColor QtRasterDevice::ToQColor(TColor color) const {
    const TColor rgb = ColorToRGB(color);
    const int r = GetRValue(rgb), g = GetGValue(rgb), b = GetBValue(rgb);
    if (monochrome_) {
        const int luminance = (r * 299 + g * 587 + b * 114) / 1000;
        return luminance >= 128 ? QColor(255, 255, 255) : QColor(0, 0, 0);
    }
    return QColor(r, g, b);
}

void QtRasterDevice::SetPen(const Pen& pen) {
    if (pen == pen_) return;
    FlushLine();
    pen_ = pen;
    BuildPen();
}

void QtRasterDevice::BuildPen() {
    const Pen& pen = pen_;
    const int width = std::max(pen.width, 1);
    qpen_ = QPen(ToQColor(pen.color));
    // Wide pens are solid with round ends, as geometric pens are.
    qpen_.setWidth(width);
    qpen_.setCapStyle(width > 1 ? Qt::RoundCap : Qt::FlatCap);
    qpen_.setJoinStyle(width > 1 ? Qt::RoundJoin : Qt::MiterJoin);
    solidThinPen_ = false;
    switch (width > 1 && pen.style != psClear ? psSolid : pen.style) {
    case psSolid:
    case psInsideFrame:
        solidThinPen_ = width == 1;
        break;
    case psDash:
        qpen_.setDashPattern(kDash);
        break;
    case psDot:
        qpen_.setDashPattern(kDot);
        break;
    case psDashDot:
        qpen_.setDashPattern(kDashDot);
        break;
    case psDashDotDot:
        qpen_.setDashPattern(kDashDotDot);
        break;
    case psAlternate:
        qpen_.setDashPattern(kAlternate);
        break;
    case psClear:
        qpen_.setStyle(Qt::NoPen);
        break;
    }
    // Closed outlines need the square cap: with a flat one the thin stroker drops the pixel
    // where each segment ends.
    shapePen_ = qpen_;
    if (width == 1) shapePen_.setCapStyle(Qt::SquareCap);
    thinPen_ = QPen(qpen_.color());
    thinPen_.setCapStyle(Qt::FlatCap);
    painterPen_ = PainterPen::Other;
}

void QtRasterDevice::SetBrush(const Brush& brush) {
    if (brush == brush_) return;
    brush_ = brush;
    // Built when the painter needs it: direct fills take the colour alone, so brushes that
    // change between shapes of one frame cost no QBrush each.
    qbrushValid_ = false;
    painterBrush_ = PainterBrush::Stale;
}

const QBrush& QtRasterDevice::PainterFill() {
    if (!qbrushValid_) BuildBrush();
    return qbrush_;
}

void QtRasterDevice::BuildBrush() {
    const Brush& brush = brush_;
    qbrushValid_ = true;
    if (brush.HasPattern()) {
        qbrush_ = QBrush(ToQImage(*brush.pattern));
        painterBrush_ = PainterBrush::Stale;
        return;
    }
    switch (brush.style) {
    case bsSolid:
        qbrush_ = QBrush(ToQColor(brush.color));
        break;
    case bsClear:
        qbrush_ = QBrush(Qt::NoBrush);
        break;
    default:
        qbrush_ = QBrush(ToQColor(brush.color), HatchStyle(brush.style));
        break;
    }
    painterBrush_ = PainterBrush::Stale;
}

void QtRasterDevice::SetFont(const Font& font) {
    if (font == font_) return;
    // Only a change of face, size or style needs a new QFont; escapement is a transform.
    fontDirty_ |= font.name != font_.name || font.size != font_.size || font.style != font_.style;
    font_ = font;
}

void QtRasterDevice::SetTextColor(TColor color) {
    if (color == textColor_) return;
    textColor_ = color;
    textPen_ = QPen(ToQColor(color));
}

void QtRasterDevice::SetBkColor(TColor color) {
    FlushLine();
    bkColor_ = color;
    painter_.setBackground(ToQColor(color));
}

void QtRasterDevice::SetBkMode(TCanvasBackMode mode) {
    FlushLine();
    bkMode_ = mode;
}

void QtRasterDevice::UseBackgroundFor(bool brush, bool pen) {
    // The painter's opaque mode also changes how outlines are rasterised, so it is on only
    // while a hatch or a dash pattern needs its gaps filled.
    const bool hatched =
        brush && !brush_.HasPattern() && brush_.style != bsSolid && brush_.style != bsClear;
    const bool dashed = pen && qpen_.style() == Qt::CustomDashLine;
    const bool opaque = bkMode_ == cbmOpaque && (hatched || dashed);
    if (opaque == opaqueBackground_) return;
    opaqueBackground_ = opaque;
    painter_.setBackgroundMode(opaque ? Qt::OpaqueMode : Qt::TransparentMode);
}

void QtRasterDevice::UsePenMode() {
    const bool wantXor = pen_.mode == pmNotXor;
    if (wantXor == xorMode_) return;
    xorMode_ = wantXor;
    painter_.setCompositionMode(wantXor ? QPainter::RasterOp_NotSourceXorDestination
                                        : QPainter::CompositionMode_SourceOver);
}

void QtRasterDevice::UseCopyMode() {
    if (!xorMode_) return;
    xorMode_ = false;
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void QtRasterDevice::UseGdiPen() {
    UseBackgroundFor(false, true);
    if (painterPen_ != PainterPen::Line) {
        painter_.setPen(qpen_);
        painterPen_ = PainterPen::Line;
    }
    UsePenMode();
}

void QtRasterDevice::UseShapePen() {
    UseBackgroundFor(true, pen_.style != psClear);
    if (pen_.style == psClear) {
        UseNoPen();
    } else if (painterPen_ != PainterPen::Shape) {
        painter_.setPen(shapePen_);
        painterPen_ = PainterPen::Shape;
    }
    UsePenMode();
}

void QtRasterDevice::UseNoPen() {
    if (painterPen_ != PainterPen::None) {
        painter_.setPen(Qt::NoPen);
        painterPen_ = PainterPen::None;
    }
}

void QtRasterDevice::UseShapeBrush() {
    if (painterBrush_ != PainterBrush::Shape) {
        painter_.setBrush(PainterFill());
        painterBrush_ = PainterBrush::Shape;
    }
}

const QPoint* QtRasterDevice::ToQPoints(const TPoint* points, int count) {
    points_.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) points_[i] = QPoint(points[i].x, points[i].y);
    return points_.data();
}

void QtRasterDevice::MoveTo(int x, int y) {
    const QPoint to(x, y);
    if (to != current_) FlushLine();
    current_ = to;
}

void QtRasterDevice::LineTo(int x, int y) {
    const QPoint to(x, y);
    if (pen_.style != psClear) {
        if (to == current_ && pen_.width > 1) {
            // A zero-length wide line shows the pen's dot.
            FlushLine();
            UseGdiPen();
            const int w = pen_.width;
            painter_.fillRect(QRect(x - w / 2, y - w / 2, w, w), qpen_.color());
        } else {
            // Consecutive lines are drawn together as one polyline when the run ends.
            if (pendingLine_.empty()) pendingLine_.push_back(current_);
            pendingLine_.push_back(to);
        }
    }
    current_ = to;
}

void QtRasterDevice::FlushLine() {
    if (pendingLine_.empty()) return;
    DrawPolyline(pendingLine_.data(), static_cast<int>(pendingLine_.size()));
    pendingLine_.clear();
}

bool QtRasterDevice::DrawLineIntoImage(const QPoint* points, int count) {
    if (pen_.width > 3 || pen_.mode == pmNotXor) return false;
    // Dashed pens are one pixel wide; their gaps stay untouched unless the background is opaque.
    const QList<qreal> dashes = qpen_.dashPattern();
    const bool dashed = qpen_.style() == Qt::CustomDashLine;
    if (dashed ? bkMode_ == cbmOpaque || dashes.size() > ThinPolyline::kMaxDashes
               : qpen_.style() != Qt::SolidLine)
        return false;
    // A polyline back at its start is closed for the painter and joined there.
    if (count < 2 || points[0] == points[count - 1]) return false;
    if (!drawableIsRect_) return false;
    const QRect bounds = drawable_;
    const int left = bounds.left(), top = bounds.top();
    const int right = bounds.right(), bottom = bounds.bottom();
    int minX = points[0].x(), maxX = minX, minY = points[0].y(), maxY = minY;
    for (int i = 1; i < count; ++i) {
        minX = std::min(minX, points[i].x());
        maxX = std::max(maxX, points[i].x());
        minY = std::min(minY, points[i].y());
        maxY = std::max(maxY, points[i].y());
    }
    if (minX < 0 || minY < 0 || maxX >= image_.width() || maxY >= image_.height()) return false;
    auto* pixels = reinterpret_cast<QRgb*>(image_.bits());
    const qsizetype stride = image_.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    const QRgb color = qpen_.color().rgb();
    if (count == 2 && pen_.width <= 1 && !dashed &&
        (points[0].x() == points[1].x() || points[0].y() == points[1].y())) {
        // A lone upright or level thin segment (a wick, a tick): the walk's pixels from its
        // lesser end up to the one before its greater end, set as one run.
        const bool upright = points[0].x() == points[1].x();
        SetArea(
            QRect(QPoint(minX, minY), upright ? QPoint(maxX, maxY - 1) : QPoint(maxX - 1, maxY)) &
                bounds,
            color);
        return true;
    }
    // Corners and turns may set a pixel beside the points' bounds, so each is checked.
    const auto put = [&](int x, int y) {
        if (x >= left && x <= right && y >= top && y <= bottom) pixels[y * stride + x] = color;
    };
    // The pen's pixels around each pixel of the thin line: the band that copies of the thin line
    // shifted by one pixel each way give.
    switch (pen_.width) {
    case 2:
        ThinPolyline::Trace(points, count, [&](int x, int y) {
            put(x, y);
            put(x - 1, y);
            put(x, y - 1);
        });
        break;
    case 3:
        ThinPolyline::Trace(points, count, [&](int x, int y) {
            put(x, y);
            put(x - 1, y);
            put(x + 1, y);
            put(x, y - 1);
            put(x, y + 1);
        });
        break;
    default:
        if (dashed)
            ThinPolyline::Trace(points, count, put, dashes.data(), dashes.size());
        else
            ThinPolyline::Trace(points, count, put);
        break;
    }
    return true;
}

void QtRasterDevice::DrawPolyline(const QPoint* points, int count) {
    if (smooth_) {
        // Through the pixels' centres, so that a straight line stays sharp.
        UseGdiPen();
        painter_.translate(0.5, 0.5);
        painter_.drawPolyline(points, count);
        painter_.translate(-0.5, -0.5);
        return;
    }
    if (DrawLineIntoImage(points, count)) return;
    UseGdiPen();
    if (pen_.width <= 1 || pen_.width > 3 || qpen_.style() != Qt::SolidLine ||
        pen_.mode == pmNotXor) {
        // The flat cap of a thin pen leaves the end pixel out.
        painter_.drawPolyline(points, count);
        return;
    }
    // Solid copy-mode pens 2 or 3 pixels wide: shifted copies of the thin line are many times
    // cheaper than stroking the outline and give the same band of pixels. (Not-xor must set
    // each pixel once, so it takes the stroker.)
    painter_.setPen(thinPen_);
    painterPen_ = PainterPen::Other;
    static constexpr QPoint kWidth2[] = {{0, 0}, {-1, 0}, {0, -1}};
    static constexpr QPoint kWidth3[] = {{0, 0}, {-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    const QPoint* offsets = pen_.width == 2 ? kWidth2 : kWidth3;
    const int copies = pen_.width == 2 ? 3 : 5;
    for (int i = 0; i < copies; ++i) {
        if (offsets[i].isNull()) {
            painter_.drawPolyline(points, count);
        } else {
            painter_.translate(offsets[i]);
            painter_.drawPolyline(points, count);
            painter_.translate(-offsets[i]);
        }
    }
}

void QtRasterDevice::Polyline(const TPoint* points, int count) {
    FlushLine();
    if (count < 2 || pen_.style == psClear) return;
    DrawPolyline(ToQPoints(points, count), count);
}

void QtRasterDevice::Polygon(const TPoint* points, int count) {
    FlushLine();
    if (count < 2) return;
    UseShapePen();
    UseShapeBrush();
    painter_.drawPolygon(ToQPoints(points, count), count, Qt::OddEvenFill);
}

void QtRasterDevice::Rectangle(int left, int top, int right, int bottom) {
    FlushLine();
    QRect box = NormalRect(left, top, right, bottom);
    UsePenMode();
    if (pen_.style == psClear) {
        // Without an outline the filled area is one pixel smaller on the right and bottom.
        box.adjust(0, 0, -1, -1);
        if (box.width() > 0 && box.height() > 0 && brush_.style != bsClear &&
            !FillIntoImage(box, brush_)) {
            UseBackgroundFor(true, false);
            painter_.fillRect(box, PainterFill());
        }
        return;
    }
    if (box.width() <= 0 || box.height() <= 0) return;
    if (solidThinPen_ && (box.width() <= 2 || box.height() <= 2)) {
        if (!FillIntoImage(box, qpen_.color().rgb())) painter_.fillRect(box, qpen_.color());
        return;
    }
    if (solidThinPen_ && OutlineIntoImage(box)) return;
    UseShapePen();
    if (pen_.width > 1) {
        UseShapeBrush();
        painter_.drawRect(box.adjusted(0, 0, -1, -1));
        return;
    }
    // A thin outline and the interior apart, so that no pixel is painted twice (not-xor).
    if (brush_.style != bsClear && box.width() > 2 && box.height() > 2)
        painter_.fillRect(box.adjusted(1, 1, -1, -1), PainterFill());
    if (painterBrush_ != PainterBrush::None) {
        painter_.setBrush(Qt::NoBrush);
        painterBrush_ = PainterBrush::None;
    }
    painter_.drawRect(box.adjusted(0, 0, -1, -1));
}

bool QtRasterDevice::DirectFills() const {
    return !smooth_ && !xorMode_ && drawableIsRect_;
}

bool QtRasterDevice::FillIntoImage(const QRect& box, QRgb color) {
    // Wide areas go to the painter, whose row fills beat a plain loop once its set-up is paid.
    if (!DirectFills() || box.width() > kDirectFillWidth) return false;
    SetArea(box & drawable_, color);
    return true;
}

void QtRasterDevice::SetArea(const QRect& area, QRgb color) {
    if (area.isEmpty()) return;
    const qsizetype stride = image_.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    QRgb* row = reinterpret_cast<QRgb*>(image_.bits()) + area.top() * stride + area.left();
    const int width = area.width();
    for (int y = area.top(); y <= area.bottom(); ++y, row += stride) {
        // Columns of one pixel (wicks, frame sides) are the common narrow case.
        if (width == 1)
            *row = color;
        else
            std::fill_n(row, width, color);
    }
}

bool QtRasterDevice::FillIntoImage(const QRect& box, const Brush& brush) {
    if (brush.style != bsSolid || brush.HasPattern()) return false;
    return FillIntoImage(box, ToQColor(brush.color).rgb());
}

bool QtRasterDevice::OutlineIntoImage(const QRect& box) {
    // Boxes of three pixels and more each way: the interior, then the frame around it.
    const bool filled = brush_.style != bsClear;
    // The painter cuts outlines that leave the image before it walks them, which can drop a
    // corner: those stay the painter's.
    if (!DirectFills() || box.width() > kDirectFillWidth || !image_.rect().contains(box) ||
        (filled && (brush_.style != bsSolid || brush_.HasPattern())))
        return false;
    if (filled) FillIntoImage(box.adjusted(1, 1, -1, -1), ToQColor(brush_.color).rgb());
    const QRgb color = qpen_.color().rgb();
    const int l = box.left(), t = box.top(), r = box.right(), b = box.bottom();
    FillIntoImage(QRect(QPoint(l, t), QPoint(r, t)), color);
    FillIntoImage(QRect(QPoint(l, b), QPoint(r, b)), color);
    FillIntoImage(QRect(QPoint(l, t + 1), QPoint(l, b - 1)), color);
    FillIntoImage(QRect(QPoint(r, t + 1), QPoint(r, b - 1)), color);
    return true;
}

void QtRasterDevice::RoundRect(int left, int top, int right, int bottom, int cornerWidth,
                               int cornerHeight) {
    FlushLine();
    const QRect box = NormalRect(left, top, right, bottom);
    if (box.width() <= 1 || box.height() <= 1) return;
    UseShapePen();
    UseShapeBrush();
    painter_.drawRoundedRect(box.adjusted(0, 0, -1, -1), cornerWidth / 2.0, cornerHeight / 2.0);
}

void QtRasterDevice::Ellipse(int left, int top, int right, int bottom) {
    FlushLine();
    const QRect box = NormalRect(left, top, right, bottom);
    if (box.width() <= 1 || box.height() <= 1) return;
    UseShapePen();
    UseShapeBrush();
    painter_.drawEllipse(box.adjusted(0, 0, -1, -1));
}

void QtRasterDevice::ArcAngles(const QRect& box, int x3, int y3, int x4, int y4, int& start,
                               int& span) const {
    const double cx = box.left() + box.width() / 2.0;
    const double cy = box.top() + box.height() / 2.0;
    // Scale to a circle so that the rays meet the ellipse where the device's arcs end.
    const double sx = box.width() > 0 ? 1.0 / box.width() : 1.0;
    const double sy = box.height() > 0 ? 1.0 / box.height() : 1.0;
    const double a3 = std::atan2(-(y3 - cy) * sy, (x3 - cx) * sx) * 180 / std::numbers::pi;
    const double a4 = std::atan2(-(y4 - cy) * sy, (x4 - cx) * sx) * 180 / std::numbers::pi;
    double sweep = a4 - a3;
    while (sweep <= 0) sweep += 360;
    start = static_cast<int>(std::lround(a3 * 16));
    span = static_cast<int>(std::lround(sweep * 16));
}

void QtRasterDevice::Arc(int left, int top, int right, int bottom, int x3, int y3, int x4, int y4) {
    FlushLine();
    const QRect box = NormalRect(left, top, right, bottom);
    if (box.width() <= 1 || box.height() <= 1 || pen_.style == psClear) return;
    int start, span;
    ArcAngles(box, x3, y3, x4, y4, start, span);
    UseShapePen();
    painter_.drawArc(PathBox(box), start, span);
}

void QtRasterDevice::Pie(int left, int top, int right, int bottom, int x3, int y3, int x4, int y4) {
    FlushLine();
    const QRect box = NormalRect(left, top, right, bottom);
    if (box.width() <= 1 || box.height() <= 1) return;
    int start, span;
    ArcAngles(box, x3, y3, x4, y4, start, span);
    UseShapePen();
    UseShapeBrush();
    painter_.drawPie(PathBox(box), start, span);
}

void QtRasterDevice::SetPixel(int x, int y, TColor color) {
    FlushLine();
    UseCopyMode();
    painter_.fillRect(QRect(x, y, 1, 1), ToQColor(color));
}

void QtRasterDevice::FillRect(const TRect& rect) {
    FlushLine();
    if (brush_.style == bsClear) return;
    const QRect box = NormalRect(rect.left, rect.top, rect.right, rect.bottom);
    if (box.isEmpty()) return;
    UseCopyMode();
    if (FillIntoImage(box, brush_)) return;
    UseBackgroundFor(true, false);
    painter_.fillRect(box, PainterFill());
}

void QtRasterDevice::PatBlt(int x, int y, int width, int height) {
    FillRect({x, y, x + width, y + height});
}

void QtRasterDevice::PrepareFont() {
    if (!fontDirty_) return;
    fontDirty_ = false;
    qfont_ = QFont(QString::fromLatin1(font_.name.data(), static_cast<int>(font_.name.size())));
    const int pixels = static_cast<int>(std::lround(std::abs(font_.size) * PixelsPerInch() / 72.0));
    qfont_.setPixelSize(std::max(pixels, 1));
    qfont_.setStyleStrategy(smooth_ ? QFont::PreferAntialias : QFont::NoAntialias);
    qfont_.setHintingPreference(QFont::PreferFullHinting);
    qfont_.setBold(font_.style & fsBold);
    qfont_.setItalic(font_.style & fsItalic);
    qfont_.setUnderline(font_.style & fsUnderline);
    qfont_.setStrikeOut(font_.style & fsStrikeOut);
    rawFont_ = QRawFont::fromFont(qfont_);
    glyphs_.fill({});
    const QFontMetrics metrics(qfont_);
    textAscent_ = metrics.ascent();
    textHeight_ = metrics.height();
    run_ = QGlyphRun();
    run_.setRawFont(rawFont_);
    run_.setUnderline(qfont_.underline());
    run_.setStrikeOut(qfont_.strikeOut());
}

void QtRasterDevice::LoadGlyph(unsigned char byte) {
    // Windows-1252 equals Latin-1 outside 0x80..0x9F.
    const char c = static_cast<char>(byte);
    const QChar ch = byte >= 0x80 && byte <= 0x9F
                         ? QChar(rtl::AnsiToWide(std::string_view(&c, 1))[0])
                         : QChar(byte);
    quint32 glyph = 0;
    int count = 1;
    rawFont_.glyphIndexesForChars(&ch, 1, &glyph, &count);
    QPointF advance;
    rawFont_.advancesForGlyphIndexes(&glyph, &advance, 1, QRawFont::SeparateAdvances);
    glyphs_[byte] = {glyph, static_cast<int>(std::lround(advance.x())), true};
}

int QtRasterDevice::LayoutText(std::string_view text) {
    runGlyphs_.resize(text.size());
    runPositions_.resize(text.size());
    int x = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (!glyphs_[byte].loaded) LoadGlyph(byte);
        runGlyphs_[i] = glyphs_[byte].index;
        runPositions_[i] = QPointF(x, 0);
        x += glyphs_[byte].advance;
    }
    return x;
}

void QtRasterDevice::TextOut(int x, int y, std::string_view text) {
    FlushLine();
    PrepareFont();
    const int width = LayoutText(text);
    if (textAlign_ & TA_UPDATECP) {
        x = current_.x();
        y = current_.y();
    }
    int dx = 0;
    if ((textAlign_ & TA_CENTER) == TA_CENTER)
        dx = -width / 2;
    else if (textAlign_ & TA_RIGHT)
        dx = -width;
    int top = 0; // of the text cell, relative to the reference point
    if ((textAlign_ & TA_BASELINE) == TA_BASELINE)
        top = -textAscent_;
    else if (textAlign_ & TA_BOTTOM)
        top = -textHeight_;
    UseCopyMode();
    const bool rotated = font_.escapement % 3600 != 0;
    if (rotated) {
        painter_.setTransform(QTransform().translate(x, y).rotate(-font_.escapement / 10.0));
        x = 0;
        y = 0;
    }
    if (bkMode_ == cbmOpaque)
        painter_.fillRect(QRect(x + dx, y + top, width, textHeight_), ToQColor(bkColor_));
    painter_.setPen(textPen_);
    painterPen_ = PainterPen::Other;
    // Glyphs with whole-pixel advances and no kerning, laid out without shaping.
    if (!StampText(text, QPoint(x + dx, y + top + textAscent_))) {
        run_.setRawData(runGlyphs_.data(), runPositions_.data(), static_cast<int>(text.size()));
        painter_.drawGlyphRun(QPointF(x + dx, y + top + textAscent_), run_);
    }
    if (rotated) painter_.resetTransform();
    if ((textAlign_ & TA_UPDATECP) && (textAlign_ & TA_CENTER) != TA_CENTER)
        current_.rx() += (textAlign_ & TA_RIGHT) ? -width : width;
}

bool QtRasterDevice::StampText(std::string_view text, QPoint origin) {
    // Whole pixels only: upright text or text turned by a multiple of a right angle, in a font
    // without lines through or under it, inside a rectangular clip, drawn without smoothing.
    if (smooth_ || font_.escapement % 900 != 0 || qfont_.underline() || qfont_.strikeOut())
        return false;
    if (!drawableIsRect_) return false;
    const QRect bounds = drawable_;
    GlyphStamps::Set& set = stamps_->For(font_);
    runStamps_.resize(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        runStamps_[i] = &GlyphStamps::Get(set, static_cast<unsigned char>(text[i]), rawFont_,
                                          runGlyphs_[i], font_.escapement);
        if (!runStamps_[i]->usable) return false;
    }
    auto* pixels = reinterpret_cast<QRgb*>(image_.bits());
    const qsizetype stride = image_.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    const QRgb color = textPen_.color().rgb();
    const QTransform& place = painter_.transform();
    const int left = bounds.left(), top = bounds.top();
    const int right = bounds.right(), bottom = bounds.bottom();
    for (size_t i = 0; i < text.size(); ++i) {
        const QPoint at =
            place.map(QPoint(origin.x() + static_cast<int>(runPositions_[i].x()), origin.y()));
        for (const GlyphStamp::Span& span : runStamps_[i]->spans) {
            const int y = at.y() + span.dy;
            if (y < top || y > bottom) continue;
            const int from = std::max(at.x() + span.dx, left);
            const int to = std::min(at.x() + span.dx + span.length - 1, right);
            if (from <= to)
                std::fill(pixels + y * stride + from, pixels + y * stride + to + 1, color);
        }
    }
    return true;
}

bool QtRasterDevice::TextExtent(std::string_view text, TSize& size) {
    PrepareFont();
    size.cx = LayoutText(text);
    size.cy = textHeight_;
    return true;
}

void QtRasterDevice::ClipRect(const TRect& rect) {
    FlushLine();
    const QRegion region(NormalRect(rect.left, rect.top, rect.right, rect.bottom));
    clip_ = clipped_ ? clip_.intersected(region) : region;
    clipped_ = true;
    SetPainterClip();
}

void QtRasterDevice::ClipPolygon(const TPoint* points, int count) {
    FlushLine();
    QPolygon polygon(count);
    for (int i = 0; i < count; ++i) polygon.setPoint(i, points[i].x, points[i].y);
    clip_ = QRegion(polygon, Qt::OddEvenFill);
    clipped_ = true;
    SetPainterClip();
}

void QtRasterDevice::RemoveClip() {
    FlushLine();
    clipped_ = false;
    clip_ = QRegion();
    painter_.setClipping(false);
    ClipChanged();
}

void QtRasterDevice::SetPainterClip() {
    // The painter takes an empty region for no clip at all; an empty rectangle hides everything.
    if (clip_.isEmpty())
        painter_.setClipRect(QRect(0, 0, 0, 0));
    else
        painter_.setClipRegion(clip_);
    ClipChanged();
}

void QtRasterDevice::ClipChanged() {
    drawableIsRect_ = !clipped_ || clip_.rectCount() <= 1;
    drawable_ = clipped_ ? image_.rect() & clip_.boundingRect() : image_.rect();
}

void QtRasterDevice::BlockCopy(int x, int y, int width, int height, const RasterDevice& source,
                               int sx, int sy) {
    const auto* other = dynamic_cast<const QtRasterDevice*>(&source);
    if (!other) throw rtl::EInvalidGraphicOperation("Cannot copy from a device of another kind");
    FlushLine();
    // Lines still pending in the source belong to its pixels.
    const_cast<QtRasterDevice*>(other)->FlushLine();
    if (width <= 0 || height <= 0) return;
    UseCopyMode();
    const QRect from(sx, sy, width, height);
    if (other == this)
        painter_.drawImage(QPoint(x, y), image_.copy(from));
    else
        painter_.drawImage(QPoint(x, y), other->image_, from);
}

QImage QtRasterDevice::ToQImage(const Bitmap& bitmap) const {
    QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_RGB32);
    for (int y = 0; y < bitmap.Height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < bitmap.Width(); ++x) line[x] = ToQColor(bitmap.Pixel(x, y)).rgb();
    }
    return image;
}

void QtRasterDevice::DrawBitmap(int x, int y, const Bitmap& bitmap) {
    FlushLine();
    if (bitmap.Empty()) return;
    UseCopyMode();
    painter_.drawImage(QPoint(x, y), ToQImage(bitmap));
}

void QtRasterDevice::StretchBitmap(const TRect& rect, const Bitmap& bitmap) {
    FlushLine();
    if (bitmap.Empty()) return;
    const QRect box = NormalRect(rect.left, rect.top, rect.right, rect.bottom);
    if (box.isEmpty()) return;
    UseCopyMode();
    painter_.drawImage(box, ToQImage(bitmap));
}

bool QtRasterDevice::ReadPixels(Bitmap& pixels) {
    FlushLine();
    pixels = Bitmap(width_, height_);
    for (int y = 0; y < height_; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image_.constScanLine(y));
        for (int x = 0; x < width_; ++x)
            pixels.SetPixel(x, y, RGB(qRed(line[x]), qGreen(line[x]), qBlue(line[x])));
    }
    return true;
}

} // namespace raster
