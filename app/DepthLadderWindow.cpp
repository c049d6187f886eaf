#include "app/DepthLadderWindow.h"

#include "toolkit/PanelWidget.h"

#include "com/Bstr.h"
#include "rtl/AnsiText.h"

#include <QApplication>
#include <QKeyEvent>
#include <QVBoxLayout>

TDepthLadderWindow::TDepthLadderWindow(QWidget& mainWindow)
    : main_(mainWindow), panel_(new tk::TPanelWidget(this)) {
    setWindowTitle("Depth Ladder");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panel_);
    panel_->SetClient(&view_);
    resize(420, 480);
    // F3 is typed into whichever control of the main window has the focus: watch them all.
    qApp->installEventFilter(this);
}

TDepthLadderWindow::~TDepthLadderWindow() {
    qApp->removeEventFilter(this);
    panel_->SetClient(nullptr);
}

int TDepthLadderWindow::Paints() const {
    return panel_->ClientPaints();
}

void TDepthLadderWindow::Level2(const hox::Level2Record& record) {
    const std::string symbol = rtl::WideToAnsi(com::BstrView(record.bstrSymbol));
    bool changed = false;
    if (symbol != symbol_) {
        symbol_ = symbol;
        ladder_.Clear();
        const std::string title = "Depth Ladder - " + symbol;
        setWindowTitle(QString::fromLatin1(title.data(), qsizetype(title.size())));
        changed = true;
    }
    changed |= ladder_.Apply(rtl::WideToAnsi(com::BstrView(record.bstrMMID)), record.dPrice,
                             record.lSize, record.side, record.bClosed != 0);
    if (changed) view_.Changed();
}

void TDepthLadderWindow::Clear() {
    ladder_.Clear();
    symbol_.clear();
    setWindowTitle("Depth Ladder");
    view_.Changed();
}

void TDepthLadderWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        hide();
    else
        QWidget::keyPressEvent(event);
}

bool TDepthLadderWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F3)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != &main_) return false;
    show();
    raise();
    activateWindow();
    return true;
}
