// The series gallery: a chart per registered kind and function, saved through the engine's own
// snapshot and converted to JPEG by the JPEG picture class, as chart snapshots are.

#include "tools/Gallery.h"

#include "chart/Chart.h"
#include "chart/Series.h"
#include "jpeg/Jpeg.h"
#include "toolkit/bitmap/Bitmap.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>

namespace tools {

namespace {

using namespace kiv;

constexpr int Width = 600;
constexpr int Height = 400;

// "Horiz. Bar" on page "Standard" in 3D: "Standard_Horiz_Bar_3D".
std::string FileStem(const TKivSeriesType& type, bool view3D) {
    std::string stem = type.GalleryPage + "_";
    for (char c : type.Description) {
        const bool keep = std::isalnum(static_cast<unsigned char>(c)) != 0;
        if (keep)
            stem += c;
        else if (stem.back() != '_')
            stem += '_';
    }
    if (stem.back() == '_') stem.pop_back();
    return view3D ? stem + "_3D" : stem;
}

// The kind's gallery series, each filled with its own sample values.
void AddSampleSeries(TChart& chart, const TKivSeriesType& type) {
    for (int k = 0; k < type.NumGallerySeries; ++k) {
        TChartSeries* s = type.SeriesClass.Create();
        s->SetParentChart(&chart);
        s->FillSampleValues(s->SampleCount());
    }
}

// Sample sources and the function's series computed from all of them at once. The result is
// drawn first, so that its wide line does not hide a source it follows (the high of two sources
// lies on the higher one).
void AddFunctionSeries(TChart& chart, const TKivSeriesType& type) {
    TChartSeries* result = type.SeriesClass ? type.SeriesClass.Create() : new TLineSeries;
    result->SetTitle(type.Description);
    result->SetParentChart(&chart);
    if (auto* line = dynamic_cast<TCustomSeries*>(result)) line->LinePen().SetWidth(3);
    std::vector<TComponent*> sources;
    for (int k = 0; k < type.NumGallerySeries; ++k) {
        auto* source = new TLineSeries;
        source->SetTitle("Source " + std::string(1, char('A' + k)));
        source->SetParentChart(&chart);
        source->FillSampleValues(source->SampleCount());
        sources.push_back(source);
    }
    result->AttachFunction(std::unique_ptr<TKivFunction>(type.FunctionClass.Create()));
    result->SetDataSources(sources);
    // A result far outside its sources' values (a product, a difference) gets the right axis,
    // so that neither flattens the other.
    double low = 0, high = 0;
    for (size_t k = 0; k < sources.size(); ++k) {
        const auto* s = static_cast<TChartSeries*>(sources[k]);
        low = k == 0 ? s->YValues().LowValue() : std::min(low, s->YValues().LowValue());
        high = k == 0 ? s->YValues().HighValue() : std::max(high, s->YValues().HighValue());
    }
    if (result->YValues().LowValue() < low || result->YValues().HighValue() > high)
        result->SetVertAxis(aRightAxis);
}

} // namespace

std::vector<GalleryPicture> WriteGallery(const std::string& folder,
                                         const raster::TDeviceFactory& devices) {
    std::filesystem::create_directories(folder);
    RegisterBuiltInSeries();
    RegisterBuiltInFunctions();
    std::vector<GalleryPicture> pictures;
    for (const TKivSeriesType& type : TKivSeriesTypes::Instance()) {
        const bool isFunction = bool(type.FunctionClass);
        for (bool view3D : {false, true}) {
            // A function's picture is about its result: one flat view is enough.
            if (isFunction && view3D) continue;
            TChart chart;
            chart.SetDeviceFactory(devices);
            chart.SetWidth(Width);
            chart.SetHeight(Height);
            chart.SetView3D(view3D);
            chart.Title().SetText({type.Description});
            if (isFunction)
                AddFunctionSeries(chart, type);
            else
                AddSampleSeries(chart, type);
            const std::filesystem::path stem =
                std::filesystem::path(folder) / FileStem(type, view3D);
            GalleryPicture picture{type.Description, type.GalleryPage, view3D,
                                   stem.string() + ".bmp", stem.string() + ".jpg"};
            chart.SaveSnapshotToFile(picture.BmpFile);
            tk::TBitmap bitmap;
            bitmap.LoadFromFile(picture.BmpFile);
            jpeg::TJPEGImage image;
            image.Assign(bitmap);
            image.SaveToFile(picture.JpgFile);
            pictures.push_back(std::move(picture));
        }
    }
    return pictures;
}

} // namespace tools
