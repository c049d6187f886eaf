#include "GlyphStamps.h"

#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QTransform>

#include <cmath>

namespace raster {

GlyphStamps::Set& GlyphStamps::For(const Font& font) {
    auto found = sets_.find(font);
    if (found != sets_.end()) return *found->second;
    if (sets_.size() >= kMaxSets) sets_.clear();
    return *sets_.emplace(font, std::make_unique<Set>()).first->second;
}

const GlyphStamp& GlyphStamps::Get(Set& set, unsigned char byte, const QRawFont& raw, quint32 glyph,
                                   int escapement) {
    GlyphStamp& stamp = set[byte];
    if (!stamp.made) Make(stamp, raw, glyph, escapement);
    return stamp;
}

void GlyphStamps::Make(GlyphStamp& stamp, const QRawFont& raw, quint32 glyph, int escapement) {
    stamp.made = true;
    stamp.usable = false;
    stamp.spans.clear();
    // White on black around an origin in the middle, with room for the glyph at any angle.
    const int side = 4 * static_cast<int>(std::ceil(raw.pixelSize())) + 16;
    const int origin = side / 2;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setPen(QColor(Qt::white));
        QGlyphRun run;
        run.setRawFont(raw);
        const QPointF at(0, 0);
        run.setRawData(&glyph, &at, 1);
        if (escapement % 3600 != 0) {
            painter.setTransform(QTransform().translate(origin, origin).rotate(-escapement / 10.0));
            painter.drawGlyphRun(QPointF(0, 0), run);
        } else {
            painter.drawGlyphRun(QPointF(origin, origin), run);
        }
    }
    constexpr QRgb kSet = 0xFFFFFFFF, kClear = 0xFF000000;
    for (int y = 0; y < side; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < side;) {
            if (line[x] == kClear) {
                ++x;
                continue;
            }
            // Blended pixels cannot be stamped, nor a glyph that reaches the edge.
            if (line[x] != kSet || x == 0 || y == 0 || y == side - 1) return;
            const int start = x;
            while (x < side && line[x] == kSet) ++x;
            if (x == side) return;
            stamp.spans.push_back({y - origin, start - origin, x - start});
        }
    }
    stamp.usable = true;
}

} // namespace raster
