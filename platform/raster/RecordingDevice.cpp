#include "raster/RecordingDevice.h"

#include <algorithm>
#include <cstdint>

namespace raster {

using namespace gfx;

namespace {

// (a * b) / c rounded half away from zero; the metrics are small positive numbers.
int Scale(int a, int b, int c) {
    const std::int64_t p = static_cast<std::int64_t>(a) * b;
    const std::int64_t q = (2 * (p < 0 ? -p : p) + c) / (2 * c);
    return static_cast<int>(p < 0 ? -q : q);
}

} // namespace

std::ostream& operator<<(std::ostream& out, const Call& call) {
    out << call.op << '(';
    for (size_t i = 0; i < call.args.size(); ++i) out << (i ? ", " : "") << call.args[i];
    out << ')';
    if (!call.text.empty()) out << " \"" << call.text << '"';
    return out;
}

RecordingDevice::RecordingDevice(int width, int height, int pixelsPerInch)
    : width_(width), height_(height), pixelsPerInch_(pixelsPerInch) {}

std::vector<Call> RecordingDevice::CallsOf(const std::string& op) const {
    std::vector<Call> result;
    for (const Call& call : calls_)
        if (call.op == op) result.push_back(call);
    return result;
}

int RecordingDevice::CountOf(const std::string& op) const {
    return static_cast<int>(
        std::count_if(calls_.begin(), calls_.end(), [&](const Call& c) { return c.op == op; }));
}

std::unique_ptr<RasterDevice> RecordingDevice::CreateCompatible(int width, int height,
                                                                bool monochrome) const {
    auto device = std::make_unique<RecordingDevice>(width, height, pixelsPerInch_);
    device->monochrome_ = monochrome;
    return device;
}

void RecordingDevice::Record(const char* op, std::initializer_list<int> args,
                             std::string_view text) {
    calls_.emplace_back(op, args, std::string(text));
}

void RecordingDevice::RecordPoints(const char* op, const TPoint* points, int count) {
    Call call;
    call.op = op;
    call.args.reserve(static_cast<size_t>(std::max(count, 0)) * 2);
    for (int i = 0; i < count; ++i) {
        call.args.push_back(points[i].x);
        call.args.push_back(points[i].y);
    }
    calls_.push_back(std::move(call));
}

void RecordingDevice::SetPen(const Pen& pen) {
    pen_ = pen;
    Record("SetPen", {static_cast<int>(pen.color), pen.width, static_cast<int>(pen.style),
                      static_cast<int>(pen.mode)});
}

void RecordingDevice::SetBrush(const Brush& brush) {
    brush_ = brush;
    Record("SetBrush",
           {static_cast<int>(brush.color), static_cast<int>(brush.style), brush.pattern ? 1 : 0});
}

void RecordingDevice::SetFont(const Font& font) {
    font_ = font;
    Record("SetFont", {font.size, font.style, font.escapement}, font.name);
}

void RecordingDevice::SetTextColor(TColor color) {
    textColor_ = color;
    Record("SetTextColor", {static_cast<int>(color)});
}

void RecordingDevice::SetBkColor(TColor color) {
    bkColor_ = color;
    Record("SetBkColor", {static_cast<int>(color)});
}

void RecordingDevice::SetBkMode(TCanvasBackMode mode) {
    bkMode_ = mode;
    Record("SetBkMode", {static_cast<int>(mode)});
}

void RecordingDevice::SetTextAlign(unsigned flags) {
    textAlign_ = flags;
    Record("SetTextAlign", {static_cast<int>(flags)});
}

void RecordingDevice::MoveTo(int x, int y) {
    Record("MoveTo", {x, y});
}

void RecordingDevice::LineTo(int x, int y) {
    Record("LineTo", {x, y});
}

void RecordingDevice::Polyline(const TPoint* points, int count) {
    RecordPoints("Polyline", points, count);
}

void RecordingDevice::Polygon(const TPoint* points, int count) {
    RecordPoints("Polygon", points, count);
}

void RecordingDevice::Rectangle(int left, int top, int right, int bottom) {
    Record("Rectangle", {left, top, right, bottom});
}

void RecordingDevice::RoundRect(int left, int top, int right, int bottom, int cornerWidth,
                                int cornerHeight) {
    Record("RoundRect", {left, top, right, bottom, cornerWidth, cornerHeight});
}

void RecordingDevice::Ellipse(int left, int top, int right, int bottom) {
    Record("Ellipse", {left, top, right, bottom});
}

void RecordingDevice::Arc(int left, int top, int right, int bottom, int x3, int y3, int x4,
                          int y4) {
    Record("Arc", {left, top, right, bottom, x3, y3, x4, y4});
}

void RecordingDevice::Pie(int left, int top, int right, int bottom, int x3, int y3, int x4,
                          int y4) {
    Record("Pie", {left, top, right, bottom, x3, y3, x4, y4});
}

void RecordingDevice::SetPixel(int x, int y, TColor color) {
    Record("SetPixel", {x, y, static_cast<int>(color)});
}

void RecordingDevice::FillRect(const TRect& rect) {
    Record("FillRect", {rect.left, rect.top, rect.right, rect.bottom});
}

void RecordingDevice::PatBlt(int x, int y, int width, int height) {
    Record("PatBlt", {x, y, width, height});
}

void RecordingDevice::TextOut(int x, int y, std::string_view text) {
    Record("TextOut", {x, y}, text);
}

bool RecordingDevice::TextExtent(std::string_view text, TSize& size) {
    Record("TextExtent", {}, text);
    if (failTextExtent_) {
        size = {};
        return false;
    }
    size.cx = static_cast<int>(text.size()) * Scale(font_.size, 3, 4);
    size.cy = Scale(font_.size, 3, 2);
    return true;
}

void RecordingDevice::ClipRect(const TRect& rect) {
    Record("ClipRect", {rect.left, rect.top, rect.right, rect.bottom});
}

void RecordingDevice::ClipPolygon(const TPoint* points, int count) {
    RecordPoints("ClipPolygon", points, count);
}

void RecordingDevice::RemoveClip() {
    Record("RemoveClip", {});
}

void RecordingDevice::BlockCopy(int x, int y, int width, int height, const RasterDevice&, int sx,
                                int sy) {
    Record("BlockCopy", {x, y, width, height, sx, sy});
}

void RecordingDevice::DrawBitmap(int x, int y, const Bitmap& bitmap) {
    Record("DrawBitmap", {x, y, bitmap.Width(), bitmap.Height()});
}

void RecordingDevice::StretchBitmap(const TRect& rect, const Bitmap&) {
    Record("StretchBitmap", {rect.left, rect.top, rect.right, rect.bottom});
}

} // namespace raster
