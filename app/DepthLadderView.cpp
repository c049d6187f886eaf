#include "app/DepthLadderView.h"

#include "rtl/FormatFloat.h"
#include "rtl/NumberText.h"

namespace {

constexpr gfx::TColor Background = gfx::clWhite;
constexpr gfx::TColor BidRow = gfx::RGB(225, 236, 255);
constexpr gfx::TColor BestBidRow = gfx::RGB(175, 205, 255);
constexpr gfx::TColor AskRow = gfx::RGB(255, 228, 228);
constexpr gfx::TColor BestAskRow = gfx::RGB(255, 185, 185);
const char* const Titles[6] = {"Makers", "Size", "Bid", "Ask", "Size", "Makers"};

void Fill(raster::RasterDevice& device, const gfx::TRect& rect, gfx::TColor color) {
    raster::Brush brush;
    brush.color = color;
    device.SetBrush(brush);
    device.FillRect(rect);
}

} // namespace

TDepthLadderView::~TDepthLadderView() {
    if (host_) host_->ReleaseClient();
}

void TDepthLadderView::Changed() {
    if (host_) host_->Invalidate();
}

int TDepthLadderView::RowHeight(raster::RasterDevice& device) {
    raster::Font font;
    font.size = 9;
    device.SetFont(font);
    gfx::TSize size{0, 0};
    device.TextExtent("0", size);
    return size.cy + 4;
}

void TDepthLadderView::Paint(raster::RasterDevice& window, const gfx::TRect& rect) {
    const int width = rect.right - rect.left, rowHeight = RowHeight(window);
    const int column = width / 6;
    Fill(window, rect, Background);
    window.SetBkMode(gfx::cbmTransparent);
    window.SetTextColor(gfx::clBlack);
    window.SetTextAlign(gfx::TA_CENTER | gfx::TA_TOP);
    // Text centred in column c (0 to 5) of the row whose top is y.
    auto text = [&](int c, int y, const std::string& s) {
        window.TextOut(rect.left + column * c + column / 2, y + 2, s);
    };
    const auto spread = ladder_.Spread();
    // Ten decimals leave out the noise of subtracting two prices.
    window.TextOut(rect.left + width / 2, rect.top + 2,
                   "Spread " + (spread ? rtl::FormatFloat("0.##########", *spread) : "-"));
    for (int c = 0; c < 6; ++c) text(c, rect.top + rowHeight, Titles[c]);
    // Rows that fit, the last one partly.
    const int top = rect.top + 2 * rowHeight;
    const int rows = top < rect.bottom ? (rect.bottom - top + rowHeight - 1) / rowHeight : 0;
    for (auto side : {TDepthLadder::Bid, TDepthLadder::Ask}) {
        const bool bid = side == TDepthLadder::Bid;
        int y = top;
        ladder_.VisitLevels(side, rows, [&](double price, const TDepthLadder::TLevel& level) {
            const int left = rect.left + (bid ? 0 : 3 * column);
            Fill(window, {left, y, bid ? left + 3 * column : rect.right, y + rowHeight},
                 y == top ? (bid ? BestBidRow : BestAskRow) : (bid ? BidRow : AskRow));
            const std::string makers = rtl::IntToStr(level.Makers);
            text(bid ? 0 : 5, y, makers);
            text(bid ? 1 : 4, y, rtl::IntToStr(level.Size));
            text(bid ? 2 : 3, y, rtl::FloatToStr(price));
            y += rowHeight;
        });
    }
}
