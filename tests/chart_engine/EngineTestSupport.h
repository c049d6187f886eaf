// Shared helpers of the chart engine tests: a window host that counts paint requests and a
// panel with fixed text metrics, so label sizes are known exactly.
#pragma once

#include "chart/KivEngine.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

namespace gfx {
inline void PrintTo(const TRect& r, std::ostream* os) {
    *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}
} // namespace gfx

class CountingHost : public kiv::IKivPanelHost {
public:
    void Invalidate() override { ++Invalidates; }
    gfx::TSize ClientSize() const override { return {400, 250}; }
    void SetCursor(kiv::TCursor cursor) override { LastCursor = cursor; }
    raster::RasterDevice* WindowDevice() override { return nullptr; }
    void Present(const gfx::TRect&) override {}
    void PaintNow() override {}
    std::unique_ptr<raster::RasterDevice> CreateDevice(int, int) override { return nullptr; }
    void ReleaseClient() override {}

    int Invalidates = 0;
    kiv::TCursor LastCursor = kiv::crDefault;
};

// Every character is CharWidth pixels wide; a line is LineHeight pixels high.
class TestPanel : public kiv::TCustomAxisPanel {
public:
    TestPanel() { SetHost(&host); }
    ~TestPanel() override { SetHost(nullptr); }

    int MeasureMultiLineText(std::string_view text, int& lines) override {
        lines = 1;
        int widest = 0, current = 0;
        for (char c : text) {
            if (c == kiv::LineSeparator) {
                ++lines;
                current = 0;
            } else if ((current += CharWidth) > widest) {
                widest = current;
            }
        }
        return widest;
    }
    int FontHeight() override { return LineHeight; }

    // Serves the pending paint, as the window's paint handler does, and counts new requests.
    int RequestsAfter(const std::function<void()>& change) {
        PaintServed();
        const int before = host.Invalidates;
        change();
        return host.Invalidates - before;
    }

    CountingHost host;
    int CharWidth = 6;
    int LineHeight = 12;
};

// A series the panel frees; tests create them with new, as the window does.
inline kiv::TChartSeries* NewSeries(kiv::TCustomAxisPanel* chart = nullptr) {
    auto* s = new kiv::TChartSeries;
    if (chart) s->SetParentChart(chart);
    return s;
}

// The message of the exception of class E that f raises; the test fails when there is none.
template <class E, class F> std::string MessageOf(F&& f) {
    try {
        f();
    } catch (const E& e) {
        return e.Message;
    }
    ADD_FAILURE() << "nothing was raised";
    return {};
}
