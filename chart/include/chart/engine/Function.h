// Functions: a series may compute its points from its sources through one. The function is asked
// for one result per period of its source, per point index across several sources, or one for
// the whole source; the concrete calculations are the function kinds' own.
#pragma once

#include "chart/procs/Component.h"

#include <vector>

namespace kiv {

class TChartSeries;
class TChartValueList;

enum TFunctionPeriodAlign { paFirst, paCenter, paLast };
enum TFunctionPeriodStyle { psNumPoints, psRange };

// The base of the functions that compute a series from its data sources.
class TKivFunction : public TComponent {
public:
    // Published properties; a changed value recalculates the parent series.
    double Period() const { return period_; }
    // Raises ChartException for a period the function cannot use (CheckPeriod).
    void SetPeriod(double value);
    TFunctionPeriodAlign PeriodAlign() const { return periodAlign_; }
    void SetPeriodAlign(TFunctionPeriodAlign value);
    TFunctionPeriodStyle PeriodStyle() const { return periodStyle_; }
    void SetPeriodStyle(TFunctionPeriodStyle value);

    // Asks the parent's chart to rebuild the parent, unless an update is in progress.
    void Recalculate();
    // Several changes, one recalculation at EndUpdate.
    void BeginUpdate() { updating_ = true; }
    void EndUpdate();

    TChartSeries* ParentSeries() const { return parentSeries_; }
    void SetParentSeries(TChartSeries* series) { parentSeries_ = series; }
    bool CanUsePeriod() const { return canUsePeriod_; }

    // Adds the result points for source to the parent series (already cleared).
    virtual void AddFunctionPoints(TChartSeries* source);
    virtual void AddPeriodResult(TChartSeries* source, int first, int last, double x);
    // One result for the whole source: a flat segment across its span, or one point in its
    // middle when the parent series draws single results.
    virtual void AddWholeResult(TChartSeries* source, const TChartValueList& list);
    virtual void AddByPeriod(TChartSeries* source, const TChartValueList& list);
    // The value of the points first..last of source; first = -1 asks for the whole series.
    virtual double CalculateRange(const TChartSeries&, int, int) const { return 0; }
    // The value at one point index across the sources, in list order.
    virtual double CalculateAcross(const std::vector<TComponent*>&, int) const { return 0; }

    // A point the source gained. A function that follows its source adds it to its results;
    // the others leave them as they are until the next rebuild.
    virtual void SourcePointAdded(TChartSeries*, int) {}

    // The list a calculation reads from source: the one named by the parent's primary list's
    // ValueSource, else the source's primary list.
    const TChartValueList& OperandList(const TChartSeries& source) const;

    // Periods a range-period calculation may produce before it gives up with an error.
    static constexpr long long MaxPeriods = 10'000'000;

protected:
    // Raises ChartException for a period the function cannot use (here: below 0, not a number,
    // infinite).
    virtual void CheckPeriod(double value) const;
    // The operand value of source at index; false when it is no series or lacks the index.
    bool OperandAt(const TComponent* source, int index, double& value) const;
    // A result at x along the source's non-primary axis.
    void EmitPoint(const TChartSeries& source, double result, double x);

    // A moving function answers one result per point from Period - 1 on, over the Period
    // points that end there.
    bool moving_ = false;
    bool canUsePeriod_ = true;

private:
    void AddByNumPoints(TChartSeries* source, const TChartValueList& list);
    void AddByRange(TChartSeries* source, const TChartValueList& list);

    TChartSeries* parentSeries_ = nullptr;
    double period_ = 0;
    TFunctionPeriodAlign periodAlign_ = paCenter;
    TFunctionPeriodStyle periodStyle_ = psNumPoints;
    bool updating_ = false;
};

} // namespace kiv
