// TKivSeriesTypes and the class registry behind it.

#include "chart/control/SeriesTypes.h"

#include <algorithm>

namespace kiv {

namespace {

// Every class registered so far, so a stored chart can be read back by class name.
std::vector<TChartSeriesClass>& SeriesClasses() {
    static std::vector<TChartSeriesClass> classes;
    return classes;
}

std::vector<TFunctionClass>& FunctionClasses() {
    static std::vector<TFunctionClass> classes;
    return classes;
}

template <class Ref> void RegisterClass(std::vector<Ref>& classes, const Ref& ref) {
    if (ref && std::find(classes.begin(), classes.end(), ref) == classes.end())
        classes.push_back(ref);
}

template <class Ref> Ref FindClass(const std::vector<Ref>& classes, std::string_view name) {
    for (const Ref& ref : classes)
        if (name == ref.Name) return ref;
    return {};
}

std::string Cut(std::string_view text) {
    return std::string(text.substr(0, 20));
}

} // namespace

TKivSeriesTypes& TKivSeriesTypes::Instance() {
    static TKivSeriesTypes types;
    return types;
}

const TKivSeriesType* TKivSeriesTypes::Find(const TChartSeriesClass& series,
                                            const TFunctionClass& function) const {
    for (const TKivSeriesType& t : items_)
        if (t.SeriesClass == series && t.FunctionClass == function) return &t;
    return nullptr;
}

void TKivSeriesTypes::Add(TKivSeriesType type) {
    if (!Find(type.SeriesClass, type.FunctionClass)) items_.push_back(std::move(type));
}

void TKivSeriesTypes::Clear() {
    items_.clear();
    SeriesClasses().clear();
    FunctionClasses().clear();
}

void RegisterSeriesType(TChartSeriesClass series, std::string_view description,
                        std::string_view galleryPage, int numGallerySeries) {
    RegisterClass(SeriesClasses(), series);
    TKivSeriesTypes::Instance().Add(
        {series, {}, Cut(description), Cut(galleryPage), numGallerySeries});
}

void RegisterFunctionType(TFunctionClass function, std::string_view description,
                          std::string_view galleryPage, int numGallerySeries,
                          TChartSeriesClass series) {
    RegisterClass(FunctionClasses(), function);
    RegisterClass(SeriesClasses(), series);
    TKivSeriesTypes::Instance().Add(
        {series, function, Cut(description), Cut(galleryPage), numGallerySeries});
}

TChartSeriesClass FindSeriesClass(std::string_view name) {
    return FindClass(SeriesClasses(), name);
}

TFunctionClass FindFunctionClass(std::string_view name) {
    return FindClass(FunctionClasses(), name);
}

} // namespace kiv
