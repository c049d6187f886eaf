// Marks: the labelled boxes a series can draw beside its points, their settings, and the
// positions where each point's mark was drawn.
#pragma once

#include "chart/canvas/Font.h"
#include "chart/canvas/Geometry.h"
#include "chart/canvas/Pen.h"
#include "chart/canvas/PublishedProperties.h"

#include <memory>
#include <string>

namespace kiv {

class TChartSeries;

enum TSeriesMarksStyle {
    smsValue,
    smsPercent,
    smsLabel,
    smsLabelPercent,
    smsLabelValue,
    smsLegend,
    smsPercentTotal,
    smsLabelPercentTotal,
    smsXValue
};

// Where a mark and its arrow were drawn, or where the user put them.
struct TSeriesMarkPosition {
    TPoint ArrowStart;
    TPoint ArrowEnd;
    bool IsCustom = false;
    int BoxHeight = 0;
    TPoint BoxTopLeft;
    int BoxWidth = 0;
    // Copies everything but IsCustom.
    void Assign(const TSeriesMarkPosition& source);
};

// Where each point's mark was drawn, indexed by point; an entry is empty until a mark was placed
// there.
class TSeriesMarksPositions {
public:
    TSeriesMarksPositions();
    TSeriesMarksPositions(const TSeriesMarksPositions&) = delete;
    TSeriesMarksPositions& operator=(const TSeriesMarksPositions&) = delete;
    ~TSeriesMarksPositions();

    // Entries, empty ones included.
    int Count() const;
    // The position remembered for a point; nullptr when its entry is empty or beyond the list.
    TSeriesMarkPosition* Position(int index);
    const TSeriesMarkPosition* Position(int index) const;
    // The position of a point, created (IsCustom off) when its entry is empty; the list grows
    // with empty entries up to index.
    TSeriesMarkPosition& Place(int index);
    // Removes the entry of a deleted point, when it exists; later entries move down one.
    void Delete(int index);
    void Clear();

private:
    struct TEntries;
    std::unique_ptr<TEntries> entries_;
};

// The marks of a series: the texts drawn beside its points, with their frame and arrows.
class TSeriesMarks : public TPublishedProperties<TSeriesMarks> {
public:
    explicit TSeriesMarks(TChartSeries* series);
    TSeriesMarks(const TSeriesMarks&) = delete;
    TSeriesMarks& operator=(const TSeriesMarks&) = delete;

    TChartArrowPen& Arrow() { return arrow_; }
    int ArrowLength() const { return arrowLength_; }
    void SetArrowLength(int value) { Store(arrowLength_, value); }
    TColor BackColor() const { return backColor_; }
    void SetBackColor(TColor value) { Store(backColor_, value); }
    bool Clip() const { return clip_; }
    void SetClip(bool value) { Store(clip_, value); }
    TFont& Font() { return font_; }
    TChartPen& Frame() { return frame_; }
    TSeriesMarksStyle Style() const { return style_; }
    void SetStyle(TSeriesMarksStyle value) { Store(style_, value); }
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value) { Store(transparent_, value); }
    bool Visible() const { return visible_; }
    void SetVisible(bool value) { Store(visible_, value); }
    int MarkDepth() const { return markDepth_; }
    void SetMarkDepth(int value) { markDepth_ = value; }

    TChartSeries* ParentSeries() const { return series_; }
    TSeriesMarksPositions& Positions() { return positions_; }
    void Assign(const TSeriesMarks& source);

    // Reconciles a computed position with the one remembered for the point: a position placed
    // by hand (IsCustom) wins, any other one takes the computed values.
    void UsePosition(int index, TSeriesMarkPosition& position);
    // Forgets every remembered position.
    void ClearPositions();
    // Draws one mark: the arrow, the box and the text's lines, in the font selected on the
    // chart's canvas.
    void DrawMarkBox(int index, TColor color, TSeriesMarkPosition& position,
                     const std::string& text);

private:
    friend TPublishedProperties<TSeriesMarks>;
    // Asks the series to repaint.
    void PropertyChanged() const;

    TChartSeries* series_;
    TChartArrowPen arrow_;
    TChartPen frame_;
    TFont font_;
    int arrowLength_ = 8;
    TColor backColor_ = 0x80FFFF;
    bool clip_ = false;
    TSeriesMarksStyle style_ = smsLabel;
    bool transparent_ = false;
    bool visible_ = false;
    int markDepth_ = 0;
    TSeriesMarksPositions positions_;
};

} // namespace kiv
