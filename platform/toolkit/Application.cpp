#include "toolkit/Application.h"

#include "Text.h"
#include "toolkit/Controls.h"
#include "toolkit/Form.h"
#include "toolkit/MessageBox.h"

#include "com/Apartment.h"
#include "rtl/Exceptions.h"

#include <QApplication>
#include <QFont>
#include <QKeyEvent>
#include <QMetaObject>

#include <unistd.h>

#include <algorithm>
#include <climits>

namespace tk {

TApplication* TApplication::instance_ = nullptr;

TApplication::TApplication(int& argc, char** argv) {
    if (instance_) throw rtl::Exception("There is an application object already");
    if (!QApplication::instance()) owned_ = std::make_unique<QApplication>(argc, argv);
    // The window's layout is measured for an 8 pt Arial-metric font; Liberation Sans has
    // Arial's metrics.
    QApplication::setFont(QFont("Liberation Sans", 8));
    qApp->installEventFilter(this);
    QObject* target = qApp;
    apartment_ = std::make_unique<com::TApartment>([target](com::ApartmentCall call) {
        QMetaObject::invokeMethod(
            target,
            [call = std::move(call)] {
                try {
                    call();
                } catch (const std::exception& e) {
                    ShowException(e);
                }
            },
            Qt::QueuedConnection);
    });
    textTimer_.setSingleShot(true);
    textTimer_.setInterval(0);
    connect(&textTimer_, &QTimer::timeout, this, [this] { ShowTexts(); });
    instance_ = this;
}

TApplication::~TApplication() {
    ShowTexts();
    instance_ = nullptr;
    apartment_.reset();
    if (qApp) qApp->removeEventFilter(this);
}

void TApplication::ShowTextLater(TEdit* edit) {
    pendingTexts_.push_back(edit);
    if (!textTimer_.isActive()) textTimer_.start();
}

void TApplication::ForgetText(TEdit* edit) {
    std::erase(pendingTexts_, edit);
}

void TApplication::ShowTexts() {
    std::vector<TEdit*> edits;
    edits.swap(pendingTexts_);
    for (TEdit* edit : edits) edit->ShowText();
}

int TApplication::Run() {
    return QApplication::exec();
}

std::string TApplication::ExeName() {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    return std::string(buf, size_t(n));
}

std::string TApplication::ExeDir() {
    std::string exe = ExeName();
    size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string("./") : exe.substr(0, slash + 1);
}

bool TApplication::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget) return false;
    // A key event propagates from the focused widget to its parents; preview it only once,
    // at the widget it was first delivered to.
    QWidget* focus = QApplication::focusWidget();
    if (focus ? widget != focus : !widget->isWindow()) return false;
    auto* form = dynamic_cast<TForm*>(widget->window());
    if (!form || !form->KeyPreview() || !form->OnKeyPress) return false;
    auto* keyEvent = static_cast<QKeyEvent*>(event);
    std::string text = QStringToAnsi(keyEvent->text());
    if (text.size() != 1) return false;
    char key = text[0];
    try {
        form->OnKeyPress(key);
    } catch (const std::exception& e) {
        ShowException(e);
    }
    return key == 0;
}

} // namespace tk
