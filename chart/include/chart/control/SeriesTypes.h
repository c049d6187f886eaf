// The registry of series kinds and functions that a gallery offers, and the class names a
// stored chart is read back by.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kiv {

class TChartSeries;
class TKivFunction;

// A class that can be created by name.
template <class Base> struct TClassRef {
    const char* Name = nullptr;
    Base* (*Create)() = nullptr;
    explicit operator bool() const { return Create != nullptr; }
    friend bool operator==(const TClassRef& a, const TClassRef& b) {
        return std::string_view(a.Name ? a.Name : "") == std::string_view(b.Name ? b.Name : "");
    }
};
using TChartSeriesClass = TClassRef<TChartSeries>;
using TFunctionClass = TClassRef<TKivFunction>;

// The class reference of T under its class name: SeriesClassOf<TLineSeries>("TLineSeries").
template <class T> TChartSeriesClass SeriesClassOf(const char* name) {
    return {name, []() -> TChartSeries* { return new T; }};
}
template <class T> TFunctionClass FunctionClassOf(const char* name) {
    return {name, []() -> TKivFunction* { return new T; }};
}

// A registered series kind or function: its classes, description and gallery page.
struct TKivSeriesType {
    TChartSeriesClass SeriesClass;
    TFunctionClass FunctionClass;
    std::string Description; // up to 20 characters
    std::string GalleryPage; // up to 20 characters
    int NumGallerySeries = 1;
};

// The registered kinds in registration order. Created by the first registration, emptied at
// shutdown.
class TKivSeriesTypes {
public:
    static TKivSeriesTypes& Instance();
    int Count() const { return int(items_.size()); }
    const TKivSeriesType& operator[](int index) const { return items_.at(size_t(index)); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }
    // The entry of a series class and function class (an empty function class: none).
    const TKivSeriesType* Find(const TChartSeriesClass& series,
                               const TFunctionClass& function = {}) const;
    void Add(TKivSeriesType type);
    void Clear();

private:
    std::vector<TKivSeriesType> items_;
};

// Registers a series kind by its class name and adds it to the gallery page, unless the same
// kind is there already. Description and page are cut to 20 characters.
void RegisterSeriesType(TChartSeriesClass series, std::string_view description,
                        std::string_view galleryPage, int numGallerySeries);
// The same for a function; its gallery entry computes a series of kind series.
void RegisterFunctionType(TFunctionClass function, std::string_view description,
                          std::string_view galleryPage, int numGallerySeries,
                          TChartSeriesClass series = {});

// Classes registered so far, by class name; empty references when unknown.
TChartSeriesClass FindSeriesClass(std::string_view name);
TFunctionClass FindFunctionClass(std::string_view name);

} // namespace kiv
