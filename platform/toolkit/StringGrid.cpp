#include "toolkit/StringGrid.h"

#include "Text.h"

#include "rtl/Exceptions.h"
#include "rtl/NumberText.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionHeader>

#include <algorithm>

namespace tk {

namespace {
constexpr int kDefaultColWidth = 64;
constexpr int kLine = 1; // grid line width
} // namespace

TStringGrid::TStringGrid(QWidget* parent)
    : QAbstractScrollArea(parent), colWidths_(5, kDefaultColWidth) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(true);
    viewport()->setBackgroundRole(QPalette::Base);
    verticalScrollBar()->setSingleStep(1);
    UpdateScrollBars();
}

void TStringGrid::SetColCount(int count) {
    cells_.SetColCount(count);
    colWidths_.resize(size_t(std::max(count, 0)), kDefaultColWidth);
    col_ = std::clamp(col_, 0, std::max(count - 1, 0));
    UpdateScrollBars();
    viewport()->update();
}

void TStringGrid::SetRowCount(int count) {
    cells_.SetRowCount(count);
    if (row_ >= count) row_ = std::max(count - 1, 0);
    UpdateScrollBars();
    viewport()->update();
}

void TStringGrid::SetCells(int col, int row, std::string_view text) {
    cells_.SetCell(col, row, text);
    viewport()->update();
}

void TStringGrid::ClearRow(int row) {
    cells_.ClearRow(row);
    viewport()->update();
}

void TStringGrid::SwapCells(TGridCells& cells) {
    std::swap(cells_, cells);
    colWidths_.resize(size_t(ColCount()), kDefaultColWidth);
    col_ = std::clamp(col_, 0, std::max(ColCount() - 1, 0));
    if (row_ >= RowCount()) row_ = std::max(RowCount() - 1, 0);
    UpdateScrollBars();
    viewport()->update();
}

int TStringGrid::ColWidths(int col) const {
    if (col < 0 || col >= int(colWidths_.size())) throw rtl::EListError("Grid index out of range");
    return colWidths_[size_t(col)];
}

void TStringGrid::SetColWidths(int col, int width) {
    if (col < 0 || col >= int(colWidths_.size())) throw rtl::EListError("Grid index out of range");
    colWidths_[size_t(col)] = std::max(width, 0);
    UpdateScrollBars();
    viewport()->update();
}

int TStringGrid::VisibleDataRows() const {
    return std::max(1, (viewport()->height() - (rowHeight_ + kLine)) / (rowHeight_ + kLine));
}

int TStringGrid::TopRow() const {
    return verticalScrollBar()->value() + 1;
}

int TStringGrid::ColumnsWidth() const {
    int width = 0;
    for (int w : colWidths_) width += w + kLine;
    return width;
}

void TStringGrid::UpdateScrollBars() {
    int dataRows = std::max(RowCount() - 1, 0);
    QScrollBar* bar = verticalScrollBar();
    int page = VisibleDataRows();
    bar->setRange(0, std::max(dataRows - page, 0));
    bar->setPageStep(page);
    // Shown by the scroll area only while the range is not empty.
    QScrollBar* across = horizontalScrollBar();
    const int view = viewport()->width();
    across->setRange(0, std::max(ColumnsWidth() - view, 0));
    across->setPageStep(std::max(view, 1));
    across->setSingleStep(kDefaultColWidth / 4);
}

void TStringGrid::SetRow(int row) {
    if (row < 1 || row >= RowCount())
        throw rtl::EListError("Grid index out of range (row " + rtl::IntToStr(row) + ")");
    SelectAndShow(row);
}

void TStringGrid::SetCol(int col) {
    if (col < 0 || col >= ColCount())
        throw rtl::EListError("Grid index out of range (column " + rtl::IntToStr(col) + ")");
    col_ = col;
}

void TStringGrid::SelectAndShow(int row) {
    row_ = row;
    QScrollBar* bar = verticalScrollBar();
    int top = bar->value() + 1;
    int page = VisibleDataRows();
    if (row < top)
        bar->setValue(row - 1);
    else if (row >= top + page)
        bar->setValue(row - page);
    viewport()->update();
}

void TStringGrid::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    const QPalette& pal = palette();
    const int pitch = rowHeight_ + kLine;
    const int width = viewport()->width();
    const int height = viewport()->height();
    const int left = -horizontalScrollBar()->value();
    const int columnsRight = left + ColumnsWidth();
    QColor lineColor = pal.color(QPalette::Mid);

    auto drawRow = [&](int y, int row, bool title) {
        int x = left;
        bool selected = !title && row == row_;
        if (selected)
            p.fillRect(QRect(left, y, columnsRight - left - kLine, rowHeight_),
                       pal.color(QPalette::Highlight));
        p.setPen(selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text));
        for (int c = 0; c < ColCount() && x < width; ++c) {
            int w = colWidths_[size_t(c)];
            if (x + w + kLine <= 0) { // scrolled out on the left
                x += w + kLine;
                continue;
            }
            if (title) {
                QStyleOptionHeader opt;
                opt.initFrom(this);
                opt.rect = QRect(x, y, w + kLine, rowHeight_ + kLine);
                opt.section = c;
                style()->drawControl(QStyle::CE_HeaderSection, &opt, &p, this);
                p.setPen(pal.color(QPalette::ButtonText));
            }
            std::string_view text = cells_.CellView(c, row);
            if (!text.empty())
                p.drawText(QRect(x + 2, y, w - 3, rowHeight_), Qt::AlignLeft | Qt::AlignVCenter,
                           AnsiToQString(text));
            x += w + kLine;
            if (!title) {
                p.setPen(lineColor);
                p.drawLine(x - 1, y, x - 1, y + rowHeight_);
                p.setPen(selected ? pal.color(QPalette::HighlightedText)
                                  : pal.color(QPalette::Text));
            }
        }
        if (!title) {
            p.setPen(lineColor);
            p.drawLine(left, y + rowHeight_, x - 1, y + rowHeight_);
        }
    };

    if (RowCount() > 0) drawRow(0, 0, true);
    int first = TopRow();
    for (int row = first, y = pitch; row < RowCount() && y < height; ++row, y += pitch)
        drawRow(y, row, false);
}

void TStringGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void TStringGrid::scrollContentsBy(int, int) {
    viewport()->update();
}

void TStringGrid::mousePressEvent(QMouseEvent* event) {
    int pitch = rowHeight_ + kLine;
    int y = int(event->position().y());
    if (y >= pitch) {
        int row = TopRow() + (y - pitch) / pitch;
        if (row < RowCount()) SelectAndShow(row);
    }
    int x = int(event->position().x()) + horizontalScrollBar()->value();
    for (int c = 0, left = 0; c < ColCount(); ++c) {
        left += colWidths_[size_t(c)] + kLine;
        if (x < left) {
            col_ = c;
            break;
        }
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void TStringGrid::keyPressEvent(QKeyEvent* event) {
    int last = RowCount() - 1;
    if (last < 1) return QAbstractScrollArea::keyPressEvent(event);
    int page = VisibleDataRows();
    int target = row_;
    switch (event->key()) {
    case Qt::Key_Up:
        target = row_ - 1;
        break;
    case Qt::Key_Down:
        target = row_ + 1;
        break;
    case Qt::Key_PageUp:
        target = row_ - page;
        break;
    case Qt::Key_PageDown:
        target = row_ + page;
        break;
    case Qt::Key_Home:
        target = 1;
        break;
    case Qt::Key_End:
        target = last;
        break;
    default:
        return QAbstractScrollArea::keyPressEvent(event);
    }
    SelectAndShow(std::clamp(target, 1, last));
}

} // namespace tk
