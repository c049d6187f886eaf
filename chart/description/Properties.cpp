#include "Properties.h"

#include "chart/Chart.h"
#include "chart/Series.h"

namespace kiv::description {

template <class E> std::span<const char* const> EnumNames();

template <> std::span<const char* const> EnumNames<TGradientDirection>() {
    static constexpr const char* names[] = {"gdTopBottom",     "gdBottomTop",  "gdLeftRight",
                                            "gdRightLeft",     "gdFromCenter", "gdFromTopLeft",
                                            "gdFromBottomLeft"};
    return names;
}
template <> std::span<const char* const> EnumNames<TPieOtherStyle>() {
    static constexpr const char* names[] = {"poNone", "poBelowPercent", "poBelowValue"};
    return names;
}
template <> std::span<const char* const> EnumNames<TSeriesPointerStyle>() {
    static constexpr const char* names[] = {"psRectangle",    "psCircle",  "psTriangle",
                                            "psDownTriangle", "psCross",   "psDiagCross",
                                            "psStar",         "psDiamond", "psSmallDot"};
    return names;
}
template <> std::span<const char* const> EnumNames<TBarStyle>() {
    static constexpr const char* names[] = {"bsRectangle",   "bsPyramid", "bsInvPyramid",
                                            "bsCilinder",    "bsEllipse", "bsArrow",
                                            "bsRectGradient"};
    return names;
}
template <> std::span<const char* const> EnumNames<TMultiBar>() {
    static constexpr const char* names[] = {"mbNone", "mbSide", "mbStacked", "mbStacked100"};
    return names;
}
template <> std::span<const char* const> EnumNames<TMultiArea>() {
    static constexpr const char* names[] = {"maNone", "maStacked", "maStacked100"};
    return names;
}
template <> std::span<const char* const> EnumNames<TSeriesMarksStyle>() {
    static constexpr const char* names[] = {"smsValue",        "smsPercent",           "smsLabel",
                                            "smsLabelPercent", "smsLabelValue",        "smsLegend",
                                            "smsPercentTotal", "smsLabelPercentTotal", "smsXValue"};
    return names;
}
template <> std::span<const char* const> EnumNames<TAxisLabelStyle>() {
    static constexpr const char* names[] = {"talAuto", "talNone", "talValue", "talMark", "talText"};
    return names;
}
template <> std::span<const char* const> EnumNames<THorizAxis>() {
    static constexpr const char* names[] = {"aTopAxis", "aBottomAxis", "aBothHorizAxis",
                                            "aCustomHorizAxis"};
    return names;
}
template <> std::span<const char* const> EnumNames<TVertAxis>() {
    static constexpr const char* names[] = {"aLeftAxis", "aRightAxis", "aBothVertAxis",
                                            "aCustomVertAxis"};
    return names;
}
template <> std::span<const char* const> EnumNames<TLegendTextStyle>() {
    static constexpr const char* names[] = {"ltsPlain",       "ltsLeftValue",    "ltsRightValue",
                                            "ltsLeftPercent", "ltsRightPercent", "ltsXValue"};
    return names;
}
template <> std::span<const char* const> EnumNames<TChartListOrder>() {
    static constexpr const char* names[] = {"loNone", "loAscending", "loDescending"};
    return names;
}
template <> std::span<const char* const> EnumNames<TFunctionPeriodAlign>() {
    static constexpr const char* names[] = {"paFirst", "paCenter", "paLast"};
    return names;
}
template <> std::span<const char* const> EnumNames<TCandleStyle>() {
    static constexpr const char* names[] = {"csCandleStick", "csCandleBar"};
    return names;
}
template <> std::span<const char* const> EnumNames<TFunctionPeriodStyle>() {
    static constexpr const char* names[] = {"psNumPoints", "psRange"};
    return names;
}
template <> std::span<const char* const> EnumNames<TLegendAlignment>() {
    static constexpr const char* names[] = {"laLeft", "laRight", "laTop", "laBottom"};
    return names;
}
template <> std::span<const char* const> EnumNames<TLegendStyle>() {
    static constexpr const char* names[] = {"lsAuto", "lsSeries", "lsValues", "lsLastValues"};
    return names;
}
template <> std::span<const char* const> EnumNames<TAlignment>() {
    static constexpr const char* names[] = {"taLeftJustify", "taRightJustify", "taCenter"};
    return names;
}
template <> std::span<const char* const> EnumNames<TPanelBevel>() {
    static constexpr const char* names[] = {"bvNone", "bvLowered", "bvRaised", "bvSpace"};
    return names;
}
template <> std::span<const char* const> EnumNames<TPanningMode>() {
    static constexpr const char* names[] = {"pmNone", "pmHorizontal", "pmVertical", "pmBoth"};
    return names;
}
template <> std::span<const char* const> EnumNames<TKivBackImageMode>() {
    static constexpr const char* names[] = {"pbmStretch", "pbmTile", "pbmCenter"};
    return names;
}
template <> std::span<const char* const> EnumNames<TPenStyle>() {
    static constexpr const char* names[] = {"psSolid",       "psDash",       "psDot",
                                            "psDashDot",     "psDashDotDot", "psClear",
                                            "psInsideFrame", "psAlternate"};
    return names;
}
template <> std::span<const char* const> EnumNames<TPenMode>() {
    static constexpr const char* names[] = {"pmCopy", "pmNotXor"};
    return names;
}
template <> std::span<const char* const> EnumNames<TBrushStyle>() {
    static constexpr const char* names[] = {"bsSolid",    "bsClear",     "bsHorizontal",
                                            "bsVertical", "bsFDiagonal", "bsBDiagonal",
                                            "bsCross",    "bsDiagCross"};
    return names;
}

namespace {

// A property of Owner reached from a void* of Base (Owner itself, or the series base class).
#define KIV_PROPERTY_OF(Base, Owner, Name)                                                         \
    MakeProperty<std::decay_t<decltype(std::declval<Owner&>().Name())>>(                           \
        #Name,                                                                                     \
        [](void* o) { return ToValue(static_cast<Owner*>(static_cast<Base*>(o))->Name()); },       \
        [](void* o, const TValue& v) {                                                             \
            auto* owner = static_cast<Owner*>(static_cast<Base*>(o));                              \
            owner->Set##Name(FromValue<std::decay_t<decltype(owner->Name())>>(v));                 \
        })
#define KIV_CHILD_OF(Base, Owner, Name, Type, table)                                               \
    TChild {                                                                                       \
#Name, &table(), [](void* o) -> void* {                                               \
               Type* child = &static_cast<Owner*>(static_cast<Base*>(o))->Name();                \
               return child;                                                                     \
           }            \
    }
#define P(Owner, Name) KIV_PROPERTY_OF(Owner, Owner, Name)
#define C(Owner, Name, Type, table) KIV_CHILD_OF(Owner, Owner, Name, Type, table)
#define SP(Owner, Name) KIV_PROPERTY_OF(TChartSeries, Owner, Name)
#define SC(Owner, Name, Type, table) KIV_CHILD_OF(TChartSeries, Owner, Name, Type, table)

const TObjectType& PenType() {
    static const TObjectType type{{P(TChartPen, Color), P(TChartPen, Width), P(TChartPen, Style),
                                   P(TChartPen, Mode), P(TChartPen, SmallDots),
                                   P(TChartPen, Visible)},
                                  {}};
    return type;
}

const TObjectType& BrushType() {
    static const TObjectType type{{P(TBrush, Color), P(TBrush, Style)}, {}};
    return type;
}

// The size is the font's; its height in pixels follows from it.
const TObjectType& FontType() {
    static const TObjectType type{
        {P(TFont, Name), P(TFont, Size), P(TFont, Color), P(TFont, Style), P(TFont, Charset)}, {}};
    return type;
}

const TObjectType& View3DOptionsType() {
    using T = TView3DOptions;
    static const TObjectType type{{P(T, Elevation), P(T, HorizOffset), P(T, Orthogonal),
                                   P(T, Perspective), P(T, Rotation), P(T, Tilt), P(T, VertOffset),
                                   P(T, Zoom), P(T, ZoomText)},
                                  {}};
    return type;
}

const TObjectType& GradientType() {
    using T = TChartGradient;
    static const TObjectType type{
        {P(T, Direction), P(T, StartColor), P(T, EndColor), P(T, Visible)}, {}};
    return type;
}

const TObjectType& WallType() {
    using T = TChartWall;
    static const TObjectType type{{P(T, Color), P(T, Dark3D), P(T, Size)},
                                  {C(T, Brush, TBrush, BrushType), C(T, Pen, TChartPen, PenType)}};
    return type;
}

const TObjectType& TitleType() {
    using T = TChartTitle;
    static const TObjectType type{
        {P(T, AdjustFrame), P(T, Alignment), P(T, Color), P(T, Text), P(T, Visible)},
        {C(T, Brush, TBrush, BrushType), C(T, Frame, TChartPen, PenType),
         C(T, Font, TFont, FontType)}};
    return type;
}

const TObjectType& LegendType() {
    using T = TChartLegend;
    static const TObjectType type{
        {P(T, Alignment), P(T, Color), P(T, ColorWidth), P(T, FirstValue), P(T, HorizMargin),
         P(T, Inverted), P(T, LegendStyle), P(T, MaxNumRows), P(T, ResizeChart), P(T, ShadowColor),
         P(T, ShadowSize), P(T, TextStyle), P(T, TopPos), P(T, VertMargin), P(T, Visible)},
        {C(T, Brush, TBrush, BrushType), C(T, DividingLines, TChartPen, PenType),
         C(T, Frame, TChartPen, PenType), C(T, Font, TFont, FontType)}};
    return type;
}

const TObjectType& AxisTitleType() {
    using T = TChartAxisTitle;
    static const TObjectType type{{P(T, Angle), P(T, Caption)}, {C(T, Font, TFont, FontType)}};
    return type;
}

// Automatic comes before the two flags it sets when it is not being loaded.
const TObjectType& AxisType() {
    using T = TCustomChartAxis;
    static const TObjectType type{
        {P(T, Automatic),        P(T, AutomaticMaximum), P(T, AutomaticMinimum),
         P(T, AxisValuesFormat), P(T, DateTimeFormat),   P(T, ExactDateTime),
         P(T, GridCentered),     P(T, Increment),        P(T, Inverted),
         P(T, Labels),           P(T, LabelsAngle),      P(T, LabelsMultiLine),
         P(T, LabelsOnAxis),     P(T, LabelsSeparation), P(T, LabelsSize),
         P(T, LabelStyle),       P(T, Logarithmic),      P(T, LogarithmicBase),
         P(T, Maximum),          P(T, Minimum),          P(T, MinorTickCount),
         P(T, MinorTickLength),  P(T, StartPosition),    P(T, EndPosition),
         P(T, PositionPercent),  P(T, RoundFirstLabel),  P(T, TickInnerLength),
         P(T, TickLength),       P(T, TickOnLabelsOnly), P(T, TitleSize),
         P(T, Visible)},
        {C(T, Axis, TChartPen, PenType), C(T, Grid, TChartPen, PenType),
         C(T, LabelsFont, TFont, FontType), C(T, MinorGrid, TChartPen, PenType),
         C(T, MinorTicks, TChartPen, PenType), C(T, Ticks, TChartPen, PenType),
         C(T, TicksInner, TChartPen, PenType), C(T, Title, TChartAxisTitle, AxisTitleType)}};
    return type;
}

const TObjectType& ChartTypeTable() {
    using T = TCustomChart;
    static const TObjectType type{
        {P(T, Width),           P(T, Height),
         P(T, MarginLeft),      P(T, MarginTop),
         P(T, MarginRight),     P(T, MarginBottom),
         P(T, Chart3DPercent),  P(T, View3D),
         P(T, Monochrome),      P(T, BufferedDisplay),
         P(T, Color),           P(T, BevelOuter),
         P(T, BevelInner),      P(T, BevelWidth),
         P(T, BorderWidth),     P(T, PrintProportional),
         P(T, PrintResolution), P(T, BackImageMode),
         P(T, AllowZoom),       P(T, AllowPanning),
         P(T, AnimatedZoom),    P(T, AnimatedZoomSteps),
         P(T, AxisVisible),     P(T, MaxPointsPerPage),
         P(T, ScaleLastPage),   P(T, View3DWalls),
         P(T, ClipPoints),      P(T, BackImageInside)},
        {C(T, View3DOptions, TView3DOptions, View3DOptionsType),
         C(T, Gradient, TChartGradient, GradientType), C(T, Title, TChartTitle, TitleType),
         C(T, Foot, TChartTitle, TitleType), C(T, BackWall, TChartWall, WallType),
         C(T, LeftWall, TChartWall, WallType), C(T, BottomWall, TChartWall, WallType),
         C(T, Legend, TChartLegend, LegendType), C(T, LeftAxis, TCustomChartAxis, AxisType),
         C(T, TopAxis, TCustomChartAxis, AxisType), C(T, RightAxis, TCustomChartAxis, AxisType),
         C(T, BottomAxis, TCustomChartAxis, AxisType),
         C(T, DepthAxis, TCustomChartAxis, AxisType)}};
    return type;
}

const TObjectType& ValueListType() {
    using T = TChartValueList;
    static const TObjectType type{
        {P(T, DateTime), P(T, Multiplier), P(T, Order), P(T, ValueSource)}, {}};
    return type;
}

const TObjectType& MarksType() {
    using T = TSeriesMarks;
    static const TObjectType type{{P(T, ArrowLength), P(T, BackColor), P(T, Clip), P(T, Style),
                                   P(T, Transparent), P(T, Visible)},
                                  {C(T, Arrow, TChartPen, PenType), C(T, Font, TFont, FontType),
                                   C(T, Frame, TChartPen, PenType)}};
    return type;
}

const TObjectType& PointerType() {
    using T = TSeriesPointer;
    static const TObjectType type{{P(T, Dark3D), P(T, Draw3D), P(T, HorizSize),
                                   P(T, InflateMargins), P(T, Style), P(T, VertSize),
                                   P(T, Visible)},
                                  {C(T, Brush, TBrush, BrushType), C(T, Pen, TChartPen, PenType)}};
    return type;
}

const TObjectType& OtherSliceType() {
    using T = TPieOtherSlice;
    static const TObjectType type{{P(T, Style), P(T, Text), P(T, Value)}, {}};
    return type;
}

// The value lists are reached through their getters, which the base class offers as const.
TChartValueList& XValuesOf(TChartSeries& s) {
    return s.XValues();
}
TChartValueList& YValuesOf(TChartSeries& s) {
    return s.YValues();
}

const TObjectType& SeriesBaseType() {
    using T = TChartSeries;
    static const TObjectType type{
        {SP(T, Name), SP(T, Active), SP(T, ColorEachPoint), SP(T, ColorSource), SP(T, HorizAxis),
         SP(T, PercentFormat), SP(T, SeriesColor), SP(T, ShowInLegend), SP(T, Title),
         SP(T, ValueFormat), SP(T, VertAxis), SP(T, XLabelsSource)},
        {SC(T, Marks, TSeriesMarks, MarksType),
         TChild{"XValues", &ValueListType(),
                [](void* o) -> void* { return &XValuesOf(*static_cast<T*>(o)); }},
         TChild{"YValues", &ValueListType(),
                [](void* o) -> void* { return &YValuesOf(*static_cast<T*>(o)); }}}};
    return type;
}

const TObjectType& CustomSeriesType() {
    using T = TCustomSeries;
    static const TObjectType type{
        {SP(T, AreaBrush), SP(T, AreaColor), SP(T, Dark3D), SP(T, DrawArea), SP(T, InvertedStairs),
         SP(T, LineBrush), SP(T, LineHeight), SP(T, Stairs)},
        {SC(T, AreaLinesPen, TChartPen, PenType), SC(T, LinePen, TChartPen, PenType),
         SC(T, Pointer, TSeriesPointer, PointerType)}};
    return type;
}

const TObjectType& AreaSeriesType() {
    static const TObjectType type{{SP(TAreaSeries, MultiArea)}, {}};
    return type;
}

const TObjectType& CustomBarSeriesType() {
    using T = TCustomBarSeries;
    static const TObjectType type{
        {SP(T, AutoBarSize), SP(T, AutoMarkPosition), SP(T, BarStyle), SP(T, BarWidthPercent),
         SP(T, Dark3D), SP(T, MultiBar), SP(T, OffsetPercent), SP(T, SideMargins),
         SP(T, UseYOrigin), SP(T, YOrigin)},
        {SC(T, BarBrush, TBrush, BrushType), SC(T, BarPen, TChartPen, PenType)}};
    return type;
}

const TObjectType& BarSeriesType() {
    static const TObjectType type{{SP(TBarSeries, CustomBarWidth)}, {}};
    return type;
}

const TObjectType& HorizBarSeriesType() {
    static const TObjectType type{{SP(THorizBarSeries, CustomBarHeight)}, {}};
    return type;
}

const TObjectType& FastLineSeriesType() {
    using T = TFastLineSeries;
    static const TObjectType type{{SP(T, AutoRepaint)}, {SC(T, LinePen, TChartPen, PenType)}};
    return type;
}

const TObjectType& CircledSeriesType() {
    using T = TCircledSeries;
    static const TObjectType type{{SP(T, Circled), SP(T, CustomXRadius), SP(T, CustomYRadius),
                                   SP(T, RotationAngle), SP(T, CircleBackColor)},
                                  {}};
    return type;
}

const TObjectType& PieSeriesType() {
    using T = TPieSeries;
    static const TObjectType type{
        {SP(T, Dark3D), SP(T, ExplodeBiggest), SP(T, UsePatterns)},
        {SC(T, OtherSlice, TPieOtherSlice, OtherSliceType), SC(T, PiePen, TChartPen, PenType)}};
    return type;
}

const TObjectType& CandleSeriesType() {
    using T = TCandleSeries;
    static const TObjectType type{
        {SP(T, CandleStyle), SP(T, CandleWidth), SP(T, UpCloseColor), SP(T, DownCloseColor)},
        {SC(T, HighLowPen, TChartPen, PenType)}};
    return type;
}

} // namespace

const TObjectType& ChartType() {
    return ChartTypeTable();
}

std::vector<const TObjectType*> SeriesTypes(const TChartSeries& series) {
    std::vector<const TObjectType*> types{&SeriesBaseType()};
    const auto is = [&](const auto* kind) { return kind != nullptr; };
    if (is(dynamic_cast<const TCustomSeries*>(&series))) types.push_back(&CustomSeriesType());
    if (is(dynamic_cast<const TAreaSeries*>(&series))) types.push_back(&AreaSeriesType());
    if (is(dynamic_cast<const TCustomBarSeries*>(&series))) types.push_back(&CustomBarSeriesType());
    if (is(dynamic_cast<const TBarSeries*>(&series))) types.push_back(&BarSeriesType());
    if (is(dynamic_cast<const THorizBarSeries*>(&series))) types.push_back(&HorizBarSeriesType());
    if (is(dynamic_cast<const TFastLineSeries*>(&series))) types.push_back(&FastLineSeriesType());
    if (is(dynamic_cast<const TCircledSeries*>(&series))) types.push_back(&CircledSeriesType());
    if (is(dynamic_cast<const TPieSeries*>(&series))) types.push_back(&PieSeriesType());
    if (is(dynamic_cast<const TCandleSeries*>(&series))) types.push_back(&CandleSeriesType());
    return types;
}

const TObjectType& FunctionType() {
    using T = TKivFunction;
    static const TObjectType type{{P(T, Period), P(T, PeriodAlign), P(T, PeriodStyle)}, {}};
    return type;
}

} // namespace kiv::description
