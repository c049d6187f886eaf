// The font of a canvas and of every chart text: name, size in points, colour, style, character set
// and resolution. Each setter that changes a value calls OnChange.
#pragma once

#include "chart/canvas/Color.h"
#include "chart/canvas/PublishedProperties.h"
#include "chart/canvas/Styles.h"

#include <functional>
#include <string>

namespace kiv {

constexpr int DEFAULT_CHARSET = 1;

// A font: name, size or height, colour, styles, character set and resolution.
class TFont : public TPublishedProperties<TFont> {
public:
    TFont() = default;
    TFont(const TFont& other) = default;
    TFont& operator=(const TFont& other);
    virtual ~TFont() = default;

    const std::string& Name() const { return name_; }
    void SetName(const std::string& value);
    // Points.
    int Size() const { return size_; }
    void SetSize(int value);
    // Character height in pixels, negative as the platform reports it: -MulDiv(Size, ppi, 72).
    int Height() const;
    void SetHeight(int value);
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles value);
    int Charset() const { return charset_; }
    void SetCharset(int value);
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int value);
    void Assign(const TFont& source) { *this = source; }

    std::function<void()> OnChange;

protected:
    friend TPublishedProperties<TFont>;
    // Calls OnChange.
    void PropertyChanged() const;

private:
    std::string name_ = "Arial";
    int size_ = 8;
    TColor color_ = clBlack;
    TFontStyles style_ = 0;
    int charset_ = DEFAULT_CHARSET;
    int pixelsPerInch_ = 96;
};

} // namespace kiv
