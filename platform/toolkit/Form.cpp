#include "toolkit/Form.h"

#include "Text.h"
#include "toolkit/MessageBox.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

namespace tk {

TForm::TForm(QWidget* parent) : QWidget(parent) {}

std::string TForm::Caption() const {
    return QStringToAnsi(windowTitle());
}

void TForm::SetCaption(std::string_view caption) {
    setWindowTitle(AnsiToQString(caption));
}

void TForm::SetBounds(int width, int height) {
    resize(width, height);
}

void TForm::CenterOnScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

void TForm::BeginClosing() {
    workers_.BeginClosing();
    CloseMessageBoxes();
    workers_.WaitForWorkers();
}

void TForm::closeEvent(QCloseEvent* event) {
    BeginClosing();
    event->accept();
}

} // namespace tk
