// The pixels that each character of a font sets when the painter draws it without antialiasing,
// kept per font and angle: text is then set into the image glyph by glyph, which costs a fraction
// of a glyph run through the painter. A glyph's pixels are the same wherever it stands on whole
// pixels, so one stamp serves every place it is drawn.
#pragma once

#include "raster/RasterDevice.h"

#include <QRawFont>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

namespace raster {

// The set pixels of one glyph, row by row, relative to its origin on the baseline.
struct GlyphStamp {
    struct Span {
        int dy;
        int dx;
        int length;
    };
    std::vector<Span> spans;
    // False until made, and for a glyph whose pixels are not all of the pen's colour.
    bool made = false;
    bool usable = false;
};

class GlyphStamps {
public:
    // The stamps of one font at one angle, by 8-bit character.
    using Set = std::array<GlyphStamp, 256>;

    // The stamps of the font (its escapement is the angle), kept for the fonts used lately.
    Set& For(const Font& font);
    // The stamp of the character, made on first use from the glyph of the raw font.
    static const GlyphStamp& Get(Set& set, unsigned char byte, const QRawFont& raw, quint32 glyph,
                                 int escapement);

private:
    static constexpr size_t kMaxSets = 32;
    static void Make(GlyphStamp& stamp, const QRawFont& raw, quint32 glyph, int escapement);

    std::map<Font, std::unique_ptr<Set>, bool (*)(const Font&, const Font&)> sets_{
        [](const Font& a, const Font& b) {
            return std::tie(a.name, a.size, a.style, a.escapement) <
                   std::tie(b.name, b.size, b.style, b.escapement);
        }};
};

} // namespace raster
