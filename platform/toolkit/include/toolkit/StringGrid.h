// A grid of 8-bit text cells with one title row, row selection and a vertical scroll bar; a
// horizontal one appears only while the columns are wider than the view, so no column is ever
// out of reach.
//
// The view paints only the rows on screen straight from the cell store: every operation a
// quote makes (grow by a row, fill it, select it) costs the same at row 10 as at row 1,000,000.
#pragma once

#include "toolkit/GridCells.h"

#include <QAbstractScrollArea>

#include <string>
#include <string_view>
#include <vector>

namespace tk {

class TStringGrid : public QAbstractScrollArea {
public:
    explicit TStringGrid(QWidget* parent = nullptr);

    int ColCount() const { return cells_.ColCount(); }
    void SetColCount(int count);
    // Row 0 holds the column titles.
    int RowCount() const { return cells_.RowCount(); }
    void SetRowCount(int count);
    std::string Cells(int col, int row) const { return cells_.Cell(col, row); }
    std::string_view CellView(int col, int row) const { return cells_.CellView(col, row); }
    void SetCells(int col, int row, std::string_view text);
    void ClearRow(int row);
    // Exchanges the whole cell store with cells (shape and texts) in constant time; the
    // selection and the scroll range follow the new row count.
    void SwapCells(TGridCells& cells);
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);

    // The selected row (rows start below the title row; 0 until a row is selected) and the
    // current column. Only a selected row is highlighted, and only across its columns.
    int Row() const { return row_; }
    int Col() const { return col_; }
    // Selects the row and scrolls it into view. Raises rtl::EListError outside the data rows.
    void SetRow(int row);
    void SetCol(int col);
    int TopRow() const;
    void Repaint() { viewport()->update(); }

    const TGridCells& Store() const { return cells_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int VisibleDataRows() const;
    int ColumnsWidth() const; // every column with its grid line
    void UpdateScrollBars();
    void SelectAndShow(int row);

    TGridCells cells_;
    std::vector<int> colWidths_;
    int rowHeight_ = 15;
    int row_ = 0;
    int col_ = 0;
};

} // namespace tk
