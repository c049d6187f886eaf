// The tick chart frame of bench_chart_frame drawn by established Qt chart libraries, for
// comparison: 1001 x 442 pixels into a QImage, a title, the legend hidden, two lines of width 2
// (red bid, blue ask) of 499 points refilled every frame, a date-time bottom axis
// "yy.MM.dd hh:mm:ss", left labels at 90 degrees with four decimals. Each library refills in its
// own fastest way and lays out and renders the whole chart every frame; ".../aliased" draws
// without antialiasing, as the chart engine does, ".../antialiased" with it.
//
// --save-frames=DIR writes each library's last frame to DIR as a PNG, to look at.
#include "TickFrameData.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>

#ifdef HAVE_QT_CHARTS
#include <QGraphicsScene>
#include <QtCharts/QChart>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLegend>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#endif
#ifdef HAVE_QCUSTOMPLOT
#include <qcustomplot.h>
#endif

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr int W = TickFrameData::Width;
constexpr int H = TickFrameData::Height;
QString saveDir;

void Save(const QImage& image, const char* name) {
    if (!saveDir.isEmpty()) image.save(QDir(saveDir).filePath(QString(name) + ".png"));
}

std::pair<double, double> PriceRange() {
    const TickFrameData& d = TickData();
    return {*std::min_element(d.bid.begin(), d.bid.end()),
            *std::max_element(d.ask.begin(), d.ask.end())};
}

#ifdef HAVE_QT_CHARTS
class QtChartsFrame {
public:
    explicit QtChartsFrame(bool antialiased) : antialiased_(antialiased) {
        chart_->setTitle("EUR/USD");
        chart_->legend()->hide();
        chart_->setAnimationOptions(QChart::NoAnimation);
        bid_->setPen(QPen(Qt::red, 2));
        ask_->setPen(QPen(Qt::blue, 2));
        chart_->addSeries(bid_);
        chart_->addSeries(ask_);
        x_->setFormat("yy.MM.dd hh:mm:ss");
        y_->setLabelFormat("%.4f");
        y_->setLabelsAngle(-90);
        chart_->addAxis(x_, Qt::AlignBottom);
        chart_->addAxis(y_, Qt::AlignLeft);
        for (QLineSeries* s : {bid_, ask_}) {
            s->attachAxis(x_);
            s->attachAxis(y_);
        }
        scene_.addItem(chart_);
        chart_->setGeometry(0, 0, W, H);
        bidPoints_.reserve(TickFrameData::Points);
        askPoints_.reserve(TickFrameData::Points);
    }

    void Frame() {
        const TickFrameData& d = TickData();
        bidPoints_.clear();
        askPoints_.clear();
        for (int i = 0; i < TickFrameData::Points; ++i) {
            const double ms = d.UnixSeconds(i) * 1000;
            bidPoints_.append({ms, d.bid[i]});
            askPoints_.append({ms, d.ask[i]});
        }
        bid_->replace(bidPoints_);
        ask_->replace(askPoints_);
        x_->setRange(QDateTime::fromMSecsSinceEpoch(qint64(d.UnixSeconds(0) * 1000), Qt::UTC),
                     QDateTime::fromMSecsSinceEpoch(
                         qint64(d.UnixSeconds(TickFrameData::Points - 1) * 1000), Qt::UTC));
        const auto [low, high] = PriceRange();
        y_->setRange(low, high);
        // The chart lays itself out from posted events; a frame needs them.
        QCoreApplication::sendPostedEvents();
        image_.fill(Qt::white);
        QPainter painter(&image_);
        painter.setRenderHint(QPainter::Antialiasing, antialiased_);
        painter.setRenderHint(QPainter::TextAntialiasing, antialiased_);
        scene_.render(&painter, QRectF(0, 0, W, H), QRectF(0, 0, W, H));
    }
    const QImage& Image() const { return image_; }

private:
    bool antialiased_;
    QGraphicsScene scene_;
    QChart* chart_ = new QChart;
    QLineSeries* bid_ = new QLineSeries;
    QLineSeries* ask_ = new QLineSeries;
    QDateTimeAxis* x_ = new QDateTimeAxis;
    QValueAxis* y_ = new QValueAxis;
    QList<QPointF> bidPoints_, askPoints_;
    QImage image_{W, H, QImage::Format_RGB32};
};

void QtCharts_TickChartFrame(benchmark::State& state) {
    QtChartsFrame frame(state.range(0) != 0);
    for (auto _ : state) frame.Frame();
    Save(frame.Image(), state.range(0) ? "qtcharts_antialiased" : "qtcharts_aliased");
}
BENCHMARK(QtCharts_TickChartFrame)->ArgName("antialiased")->Arg(0)->Arg(1);
#endif

#ifdef HAVE_QCUSTOMPLOT
class CustomPlotFrame {
public:
    explicit CustomPlotFrame(bool antialiased) {
        plot_.resize(W, H);
        plot_.plotLayout()->insertRow(0);
        plot_.plotLayout()->addElement(0, 0, new QCPTextElement(&plot_, "EUR/USD"));
        bid_ = plot_.addGraph();
        ask_ = plot_.addGraph();
        bid_->setPen(QPen(Qt::red, 2));
        ask_->setPen(QPen(Qt::blue, 2));
        auto ticker = QSharedPointer<QCPAxisTickerDateTime>::create();
        ticker->setDateTimeFormat("yy.MM.dd hh:mm:ss");
        ticker->setDateTimeSpec(Qt::UTC);
        plot_.xAxis->setTicker(ticker);
        plot_.yAxis->setNumberFormat("f");
        plot_.yAxis->setNumberPrecision(4);
        plot_.yAxis->setTickLabelRotation(-90);
        plot_.legend->setVisible(false);
        if (antialiased)
            plot_.setAntialiasedElements(QCP::aeAll);
        else
            plot_.setNotAntialiasedElements(QCP::aeAll);
        keys_.resize(TickFrameData::Points);
        bidValues_.resize(TickFrameData::Points);
        askValues_.resize(TickFrameData::Points);
    }

    void Frame() {
        const TickFrameData& d = TickData();
        for (int i = 0; i < TickFrameData::Points; ++i) {
            keys_[i] = d.UnixSeconds(i);
            bidValues_[i] = d.bid[i];
            askValues_[i] = d.ask[i];
        }
        bid_->setData(keys_, bidValues_, true);
        ask_->setData(keys_, askValues_, true);
        plot_.rescaleAxes();
        QCPPainter painter(&image_);
        plot_.toPainter(&painter, W, H);
    }
    const QImage& Image() const { return image_; }

private:
    QCustomPlot plot_;
    QCPGraph* bid_ = nullptr;
    QCPGraph* ask_ = nullptr;
    QVector<double> keys_, bidValues_, askValues_;
    QImage image_{W, H, QImage::Format_RGB32};
};

void QCustomPlot_TickChartFrame(benchmark::State& state) {
    CustomPlotFrame frame(state.range(0) != 0);
    for (auto _ : state) frame.Frame();
    Save(frame.Image(), state.range(0) ? "qcustomplot_antialiased" : "qcustomplot_aliased");
}
BENCHMARK(QCustomPlot_TickChartFrame)->ArgName("antialiased")->Arg(0)->Arg(1);
#endif

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--save-frames=", 14) == 0) {
            saveDir = QString::fromLocal8Bit(argv[i] + 14);
            std::copy(argv + i + 1, argv + argc, argv + i);
            --argc;
            break;
        }
    QApplication app(argc, argv);
    QApplication::setFont(QFont("Arial", 8));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
