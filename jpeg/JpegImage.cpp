#include "jpeg/Jpeg.h"

#include "LibJpeg.h"
#include "toolkit/bitmap/Picture.h"

#include <cstring>

namespace jpeg {

TJPEGDefaults JPEGDefaults;

EJPEG::EJPEG(int messageCode)
    : rtl::Exception(rtl::Format(sJPEGError, {int64_t{messageCode}})), MessageCode(messageCode) {}

void RegisterFileFormats() {
    for (const char* extension : {"jpeg", "jpg"})
        tk::TPicture::RegisterFileFormat(extension, sJPEGImageFile, "TJPEGImage",
                                         [] { return std::make_unique<TJPEGImage>(); });
}

void UnregisterFileFormats() {
    tk::TPicture::UnregisterGraphicClass("TJPEGImage");
}

TJPEGImage::TJPEGImage()
    : quality_(JPEGDefaults.CompressionQuality), grayscale_(JPEGDefaults.Grayscale),
      performance_(JPEGDefaults.Performance), pixelFormat_(JPEGDefaults.PixelFormat),
      progressiveDisplay_(JPEGDefaults.ProgressiveDisplay),
      progressiveEncoding_(JPEGDefaults.ProgressiveEncoding), scale_(JPEGDefaults.Scale),
      smoothing_(JPEGDefaults.Smoothing) {
    NewImage();
}

TJPEGImage::~TJPEGImage() {
    image_->Release();
}

void TJPEGImage::NewImage() {
    auto* image = new TJPEGData;
    image->Reference();
    if (image_) image_->Release();
    image_ = image;
    needRecalc_ = true;
}

void TJPEGImage::FreeBitmap() {
    bitmap_.reset();
}

// A decoding setting changed: a bitmap decoded from the bytes is decoded again when needed.
// A bitmap without bytes is the only copy of the picture and stays.
void TJPEGImage::DecodingChanged() {
    if (image_->HasBytes()) FreeBitmap();
    needRecalc_ = true;
    SetPaletteModified(true);
    Changed();
}

void TJPEGImage::Assign(const tk::TPersistent& source) {
    if (&source == this) return;
    if (auto* bitmap = dynamic_cast<const tk::TBitmap*>(&source)) {
        auto copy = std::make_unique<tk::TBitmap>();
        copy->Assign(*bitmap);
        NewImage();
        bitmap_ = std::move(copy);
        SetPaletteModified(true);
        Changed();
        return;
    }
    if (auto* other = dynamic_cast<const TJPEGImage*>(&source)) {
        std::unique_ptr<tk::TBitmap> copy;
        if (other->bitmap_) {
            copy = std::make_unique<tk::TBitmap>();
            copy->Assign(*other->bitmap_);
        }
        other->image_->Reference();
        image_->Release();
        image_ = other->image_;
        // Without a bitmap of the source, ours would show the previous picture.
        bitmap_ = std::move(copy);
        needRecalc_ = true;
        SetPaletteModified(true);
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TJPEGImage::AssignTo(tk::TPersistent& dest) const {
    auto* bitmap = dynamic_cast<tk::TBitmap*>(&dest);
    if (!bitmap) {
        TGraphic::AssignTo(dest);
        return;
    }
    if (bitmap_) {
        bitmap->Assign(*bitmap_);
        return;
    }
    tk::TBitmap decoded;
    // Decoding reports progress to this picture's handlers, which take it as their sender.
    if (image_->HasBytes()) const_cast<TJPEGImage*>(this)->Decode(decoded);
    bitmap->Assign(decoded);
}

bool TJPEGImage::Equals(const tk::TGraphic& other) const {
    auto* jpeg = dynamic_cast<const TJPEGImage*>(&other);
    if (!jpeg) return false;
    if (image_->HasBytes() && jpeg->image_->HasBytes())
        return image_->Data()->Bytes() == jpeg->image_->Data()->Bytes();
    return image_ == jpeg->image_;
}

bool TJPEGImage::Empty() const {
    return !image_->HasBytes() && (!bitmap_ || bitmap_->Empty());
}

int TJPEGImage::Width() const {
    if (bitmap_) return bitmap_->Width();
    if (scale_ == TJPEGScale::jsFullSize || !image_->HasBytes()) return image_->Width();
    if (needRecalc_) {
        const tk::TMemoryStream& data = *image_->Data();
        detail::HeaderInfo info =
            detail::ReadHeader(data.Memory(), data.Bytes().size(), static_cast<int>(scale_));
        scaledWidth_ = info.scaledWidth;
        scaledHeight_ = info.scaledHeight;
        needRecalc_ = false;
    }
    return scaledWidth_;
}

int TJPEGImage::Height() const {
    if (bitmap_) return bitmap_->Height();
    if (scale_ == TJPEGScale::jsFullSize || !image_->HasBytes()) return image_->Height();
    Width();
    return scaledHeight_;
}

void TJPEGImage::SetWidth(int) {
    throw rtl::EInvalidGraphicOperation(sChangeJPGSize);
}
void TJPEGImage::SetHeight(int) {
    throw rtl::EInvalidGraphicOperation(sChangeJPGSize);
}

void TJPEGImage::LoadFromStream(tk::TStream& stream) {
    int64_t count = stream.Remaining();
    std::vector<uint8_t> bytes(static_cast<size_t>(std::max<int64_t>(count, 0)));
    stream.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    // The header is checked before anything is replaced, so bad data leaves the picture as is.
    detail::HeaderInfo info;
    if (!bytes.empty()) info = detail::ReadHeader(bytes.data(), bytes.size(), 0);
    NewImage();
    if (!bytes.empty()) {
        image_->data_ = std::make_unique<tk::TMemoryStream>(std::move(bytes));
        image_->width_ = info.width;
        image_->height_ = info.height;
        image_->grayscale_ = info.grayscale;
        progressiveEncoding_ = info.multiScan;
    }
    FreeBitmap();
    SetPaletteModified(true);
    Changed();
}

void TJPEGImage::SaveToStream(tk::TStream& stream) {
    JPEGNeeded();
    if (image_->HasBytes())
        stream.WriteBuffer(image_->Data()->Memory(),
                           static_cast<int64_t>(image_->Data()->Bytes().size()));
}

void TJPEGImage::Draw(tk::TBitmap& target, const gfx::TRect& rect) {
    DIBNeeded();
    if (bitmap_) bitmap_->Draw(target, rect);
}

tk::TPalette TJPEGImage::Palette() const {
    if (bitmap_) return bitmap_->Palette();
    return tempPal_.value_or(tk::TPalette{});
}

void TJPEGImage::SetPalette(const tk::TPalette& value) {
    if (value.size() > 256)
        throw rtl::EInvalidGraphicOperation("A palette holds at most 256 colours");
    tempPal_ = value;
    if (bitmap_ && bitmap_->PixelFormat() == tk::TPixelFormat::pf8bit) {
        if (image_->HasBytes())
            FreeBitmap();
        else
            bitmap_->SetPalette(value);
    }
    SetPaletteModified(true);
    Changed();
}

void TJPEGImage::Compress() {
    if (!bitmap_ && image_->HasBytes()) DIBNeeded();
    CompressCurrentBitmap();
}

void TJPEGImage::JPEGNeeded() {
    if (!image_->HasBytes()) CompressCurrentBitmap();
}

void TJPEGImage::CompressCurrentBitmap() {
    if (image_->Data()) NewImage();
    image_->data_ = std::make_unique<tk::TMemoryStream>();
    if (!bitmap_ || bitmap_->Width() == 0 || bitmap_->Height() == 0) return;
    image_->width_ = bitmap_->Width();
    image_->height_ = bitmap_->Height();
    const tk::TBitmap* source = bitmap_.get();
    tk::TBitmap converted;
    if (bitmap_->PixelFormat() != tk::TPixelFormat::pf24bit) {
        converted.Assign(*bitmap_);
        converted.SetPixelFormat(tk::TPixelFormat::pf24bit);
        source = &converted;
    }
    detail::CompressOptions options;
    options.quality = quality_;
    options.grayscale = grayscale_;
    options.progressive = progressiveEncoding_;
    image_->grayscale_ = grayscale_;
    const gfx::TRect whole{0, 0, bitmap_->Width(), bitmap_->Height()};
    try {
        Progress(tk::TProgressStage::psStarting, 0, false, whole, "");
        detail::CompressBitmap(*source, options, *image_->data_, [&](int percent) {
            Progress(tk::TProgressStage::psRunning, static_cast<uint8_t>(percent), false, whole,
                     "");
        });
        Progress(tk::TProgressStage::psEnding, 100, false, whole, "");
    } catch (const tk::EAbort&) {
        NewImage();
    } catch (...) {
        // Partial bytes must never be saved as the picture: the next save compresses again.
        NewImage();
        throw;
    }
}

void TJPEGImage::DIBNeeded() {
    if (bitmap_ || !image_->HasBytes()) return;
    auto decoded = std::make_unique<tk::TBitmap>();
    Decode(*decoded);
    bitmap_ = std::move(decoded);
}

void TJPEGImage::Decode(tk::TBitmap& out) {
    detail::DecompressOptions options;
    options.scale = static_cast<int>(scale_);
    options.smoothing = smoothing_;
    options.grayscale = grayscale_;
    options.quantize = pixelFormat_ == TJPEGPixelFormat::jf8Bit;
    options.bestSpeed = performance_ == TJPEGPerformance::jpBestSpeed;
    options.progressiveDisplay = progressiveDisplay_;
    options.palette = tempPal_ ? &*tempPal_ : nullptr;
    const tk::TMemoryStream& data = *image_->Data();
    gfx::TRect whole{0, 0, image_->Width(), image_->Height()};
    Progress(tk::TProgressStage::psStarting, 0, false, whole, "");
    detail::DecompressInto(
        data.Memory(), data.Bytes().size(), options, out,
        [&](int percent) {
            Progress(tk::TProgressStage::psRunning, static_cast<uint8_t>(percent), false, whole,
                     "");
        },
        [&] {
            // Each scan of a progressive file: the partly decoded picture may be shown now.
            whole = {0, 0, out.Width(), out.Height()};
            Progress(tk::TProgressStage::psRunning, 0, true, whole, "");
        });
    Progress(tk::TProgressStage::psEnding, 100, false, whole, "");
}

void TJPEGImage::SetCompressionQuality(int value) {
    if (value < 0 || value > 100)
        throw rtl::EInvalidGraphicOperation(
            rtl::Format("Compression quality %d is outside 0 to 100", {int64_t{value}}));
    quality_ = value;
}

void TJPEGImage::SetGrayscale(bool value) {
    if (value == grayscale_) return;
    grayscale_ = value;
    DecodingChanged();
}

void TJPEGImage::SetPerformance(TJPEGPerformance value) {
    if (value == performance_) return;
    performance_ = value;
    DecodingChanged();
}

void TJPEGImage::SetPixelFormat(TJPEGPixelFormat value) {
    if (value == pixelFormat_) return;
    pixelFormat_ = value;
    DecodingChanged();
}

void TJPEGImage::SetProgressiveDisplay(bool value) {
    if (value == progressiveDisplay_) return;
    progressiveDisplay_ = value;
    DecodingChanged();
}

void TJPEGImage::SetScale(TJPEGScale value) {
    if (value == scale_) return;
    scale_ = value;
    DecodingChanged();
}

void TJPEGImage::SetSmoothing(bool value) {
    if (value == smoothing_) return;
    smoothing_ = value;
    DecodingChanged();
}

} // namespace jpeg
