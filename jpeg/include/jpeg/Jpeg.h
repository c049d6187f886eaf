// The JPEG picture: a picture kept as a bitmap, as compressed bytes shared between pictures,
// or both, coded by libjpeg. Once registered, files ending in "jpg" or "jpeg" open as this class.
#pragma once

#include "toolkit/bitmap/Bitmap.h"
#include "toolkit/bitmap/Graphic.h"
#include "toolkit/bitmap/SharedImage.h"
#include "toolkit/bitmap/Stream.h"

#include <memory>
#include <optional>

namespace jpeg {

inline constexpr const char* sJPEGError = "JPEG error #%d";
inline constexpr const char* sJPEGImageFile = "JPEG Image File";
inline constexpr const char* sChangeJPGSize = "Cannot change the size of a JPEG image";

// A failure reported by libjpeg; the message carries the library's message number.
class EJPEG : public rtl::Exception {
public:
    explicit EJPEG(int messageCode);
    int MessageCode;
};

enum class TJPEGPerformance { jpBestQuality, jpBestSpeed };
enum class TJPEGPixelFormat { jf24Bit, jf8Bit };
enum class TJPEGScale { jsFullSize, jsHalf, jsQuarter, jsEighth };

struct TJPEGDefaults {
    int CompressionQuality = 90;
    bool Grayscale = false;
    TJPEGPerformance Performance = TJPEGPerformance::jpBestQuality;
    TJPEGPixelFormat PixelFormat = TJPEGPixelFormat::jf24Bit;
    bool ProgressiveDisplay = false;
    bool ProgressiveEncoding = false;
    TJPEGScale Scale = TJPEGScale::jsFullSize;
    bool Smoothing = true;
};

// Copied into every new image. Set at start-up only; images read it without a lock.
extern TJPEGDefaults JPEGDefaults;

// Compressed bytes with the size and colour kind they decode to, shared by reference count.
class TJPEGData : public tk::TSharedImage {
public:
    // Null when there are no compressed bytes.
    const tk::TMemoryStream* Data() const { return data_.get(); }
    bool HasBytes() const { return data_ && !data_->Bytes().empty(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Grayscale() const { return grayscale_; }

private:
    friend class TJPEGImage;
    ~TJPEGData() override = default;
    void FreeHandle() override { data_.reset(); }

    std::unique_ptr<tk::TMemoryStream> data_;
    int width_ = 0;
    int height_ = 0;
    bool grayscale_ = false;
};

class TJPEGImage : public tk::TGraphic {
public:
    TJPEGImage();
    ~TJPEGImage() override;

    const char* ClassName() const override { return "TJPEGImage"; }

    // From a bitmap: new empty data and a copy of the bitmap. From another JPEG image: its
    // data is shared and its bitmap, if any, copied.
    void Assign(const tk::TPersistent& source) override;
    // A bitmap receives the decoded picture.
    void AssignTo(tk::TPersistent& dest) const override;
    bool Equals(const tk::TGraphic& other) const override;

    bool Empty() const override;
    int Width() const override;
    int Height() const override;
    [[noreturn]] void SetWidth(int value) override;
    [[noreturn]] void SetHeight(int value) override;

    void LoadFromStream(tk::TStream& stream) override;
    void SaveToStream(tk::TStream& stream) override;
    void Draw(tk::TBitmap& target, const gfx::TRect& rect) override;

    tk::TPalette Palette() const override;
    // Decoding to 8 bits then uses these colours.
    void SetPalette(const tk::TPalette& value) override;

    // Recompresses the picture with the current settings into new data, so that pictures
    // sharing the old data keep their bytes.
    void Compress();
    void DIBNeeded();
    void JPEGNeeded();

    const TJPEGData& JPEGData() const { return *image_; }

    // Compression settings apply to the next compression; compressed bytes already held stay.
    int CompressionQuality() const { return quality_; }
    void SetCompressionQuality(int value);
    bool ProgressiveEncoding() const { return progressiveEncoding_; }
    void SetProgressiveEncoding(bool value) { progressiveEncoding_ = value; }
    // Decoding settings; a change drops a bitmap that can be decoded again.
    bool Grayscale() const { return grayscale_; }
    void SetGrayscale(bool value);
    TJPEGPerformance Performance() const { return performance_; }
    void SetPerformance(TJPEGPerformance value);
    TJPEGPixelFormat PixelFormat() const { return pixelFormat_; }
    void SetPixelFormat(TJPEGPixelFormat value);
    bool ProgressiveDisplay() const { return progressiveDisplay_; }
    void SetProgressiveDisplay(bool value);
    TJPEGScale Scale() const { return scale_; }
    void SetScale(TJPEGScale value);
    bool Smoothing() const { return smoothing_; }
    void SetSmoothing(bool value);

private:
    void NewImage();
    void FreeBitmap();
    void DecodingChanged();
    void CompressCurrentBitmap();
    void Decode(tk::TBitmap& out);

    TJPEGData* image_ = nullptr;
    std::unique_ptr<tk::TBitmap> bitmap_;
    std::optional<tk::TPalette> tempPal_;
    int quality_;
    bool grayscale_;
    TJPEGPerformance performance_;
    TJPEGPixelFormat pixelFormat_;
    bool progressiveDisplay_;
    bool progressiveEncoding_;
    TJPEGScale scale_;
    bool smoothing_;
    mutable int scaledWidth_ = 0;
    mutable int scaledHeight_ = 0;
    mutable bool needRecalc_ = true;
};

// Makes pictures open files ending in "jpg" or "jpeg" as TJPEGImage; the program calls it at
// start-up and UnregisterFileFormats at shutdown.
void RegisterFileFormats();
void UnregisterFileFormats();

} // namespace jpeg
