// A chart on screen: the toolkit's panel widget hosting a TChart, driven by real Qt events.

#include "chart/Chart.h"
#include "toolkit/Application.h"
#include "toolkit/Cursors.h"
#include "toolkit/PanelWidget.h"

#include <QApplication>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <memory>

using namespace kiv;

namespace {

class QtEnvironment : public testing::Environment {
public:
    void SetUp() override { app_ = std::make_unique<tk::TApplication>(argc_, argv_); }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[16] = "test_chartview";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<tk::TApplication> app_;
};

[[maybe_unused]] testing::Environment* const env =
    testing::AddGlobalTestEnvironment(new QtEnvironment);

// A series that draws nothing and answers hits inside HitRect.
class HitSeries : public TChartSeries {
public:
    int HitTest(int x, int y) const override {
        return x >= HitRect.left && x < HitRect.right && y >= HitRect.top && y < HitRect.bottom
                   ? 0
                   : -1;
    }
    TRect HitRect{};
};

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int Paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++Paints;
        return false;
    }
};

struct ChartView : ::testing::Test {
    QWidget parent;
    tk::TPanelWidget* view = new tk::TPanelWidget(&parent);
    TChart chart;
    HitSeries* series = new HitSeries;

    ChartView() {
        chart.SetView3D(false);
        chart.Legend().SetVisible(false);
        series->SetParentChart(&chart);
        for (int i = 0; i <= 10; ++i) series->AppendPoint(i, i);
        view->setGeometry(0, 0, 400, 300);
        view->SetClient(&chart);
        parent.resize(400, 300);
        parent.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&parent));
        Settle();
    }
    ~ChartView() override { view->SetClient(nullptr); }

    // Lets the widget serve whatever paint is pending.
    void Settle() {
        for (int i = 0; i < 5; ++i) {
            QTest::qWait(20);
            QApplication::processEvents();
        }
    }
    void Wheel(int angle) {
        QWheelEvent event(QPointF(200, 150), QPointF(200, 150), QPoint(), QPoint(0, angle),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view, &event);
    }
};

} // namespace

TEST_F(ChartView, DraggingShowsTheBandWithoutAFrameAndZooms) {
    TChartAxis& bottom = chart.BottomAxis();
    const double xFrom = bottom.PixelToValue(100), xTo = bottom.PixelToValue(200);
    const QColor before = view->grab().toImage().pixelColor(150, 100);
    const int paints = view->ClientPaints();
    PaintCounter counter;
    view->installEventFilter(&counter);
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    QTest::mouseMove(view, QPoint(150, 150));
    Settle();
    counter.Paints = 0;
    QTest::mouseMove(view, QPoint(200, 200));
    Settle();
    // the band is shown (the widget paints) without the chart drawing a frame
    EXPECT_GT(counter.Paints, 0);
    EXPECT_EQ(view->ClientPaints(), paints);
    EXPECT_NE(view->grab().toImage().pixelColor(150, 100), before);
    view->removeEventFilter(&counter);
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, QPoint(200, 200));
    EXPECT_TRUE(chart.Zoomed());
    EXPECT_DOUBLE_EQ(bottom.Minimum(), xFrom);
    EXPECT_DOUBLE_EQ(bottom.Maximum(), xTo);
}

TEST_F(ChartView, TheWheelScrollsTheVerticalAxesByThreePercentANotch) {
    TChartAxis& left = chart.LeftAxis();
    Wheel(-120); // towards the user: down
    EXPECT_FALSE(left.Automatic());
    EXPECT_DOUBLE_EQ(left.Minimum(), 0.3);
    EXPECT_DOUBLE_EQ(left.Maximum(), 10.3);
    // half notches add up to one
    Wheel(60);
    EXPECT_DOUBLE_EQ(left.Minimum(), 0.3);
    Wheel(60);
    EXPECT_NEAR(left.Minimum(), 0.0, 1e-12);
    EXPECT_DOUBLE_EQ(chart.BottomAxis().Minimum(), 0);
}

TEST_F(ChartView, ManyChangesGiveOnePaintAndAnUnchangedRepaintDrawsNothing) {
    const int before = view->ClientPaints();
    for (int i = 0; i < 200; ++i) {
        series->AppendPoint(11 + i, i);
        chart.Title().SetText({"quote " + std::to_string(i)});
    }
    Settle();
    EXPECT_EQ(view->ClientPaints(), before + 1);

    view->repaint();
    EXPECT_EQ(view->ClientPaints(), before + 1);
    EXPECT_EQ(view->grab().toImage().pixelColor(200, 2), QColor(192, 192, 192));
}

TEST_F(ChartView, SeriesCursorsAndTheEnginesHandCursor) {
    KivStartup(tk::ScreenCursors());
    series->HitRect = {50, 50, 60, 60};
    series->SetCursor(crKivHand);
    QTest::mouseMove(view, QPoint(55, 55));
    EXPECT_EQ(view->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(view, QPoint(80, 80));
    EXPECT_EQ(view->cursor().shape(), Qt::ArrowCursor);
    KivShutdown(tk::ScreenCursors());
    QTest::mouseMove(view, QPoint(55, 55));
    EXPECT_EQ(view->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(ChartView, ClicksReachTheSeriesAndStopTheZoom) {
    series->HitRect = {50, 50, 60, 60};
    int clicks = 0;
    series->OnClick = [&](TChartSeries*, int index, TMouseButton button, TShiftState, int x,
                          int y) {
        ++clicks;
        EXPECT_EQ(index, 0);
        EXPECT_EQ(button, mbLeft);
        EXPECT_EQ(x, 55);
        EXPECT_EQ(y, 56);
    };
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, QPoint(55, 56));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(chart.Zoom.Active); // handled: no rubber band
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, QPoint(55, 56));
}

TEST_F(ChartView, ResizesAndTheSingleBorder) {
    view->resize(300, 200);
    Settle();
    EXPECT_EQ(chart.Width(), 300);
    EXPECT_EQ(chart.ChartBounds(), (TRect{0, 0, 300, 200}));

    view->SetBorderStyle(tk::bsSingle);
    Settle();
    EXPECT_EQ(chart.Width(), 298);
    EXPECT_EQ(chart.Height(), 198);
    const QImage shot = view->grab().toImage();
    EXPECT_EQ(shot.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(1, 1), QColor(Qt::white)); // the chart's bevel highlight
}

TEST_F(ChartView, ArrowKeysStayWithTheChart) {
    int keys = 0;
    view->OnKeyDown = [&](int key, TShiftState) {
        EXPECT_EQ(key, Qt::Key_Left);
        ++keys;
    };
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Left);
    EXPECT_EQ(keys, 1);
}
