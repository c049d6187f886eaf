#include "toolkit/Application.h"

#include "Text.h"
#include "toolkit/Form.h"
#include "toolkit/MessageBox.h"

#include "com/Apartment.h"

#include <QApplication>
#include <QFont>
#include <QKeyEvent>
#include <QMetaObject>

#include <unistd.h>

#include <climits>

namespace tk {

TApplication::TApplication(int& argc, char** argv) {
    if (!QApplication::instance()) owned_ = std::make_unique<QApplication>(argc, argv);
    // The window's layout is measured for an 8 pt Arial-metric font; Liberation Sans has
    // Arial's metrics.
    QApplication::setFont(QFont("Liberation Sans", 8));
    qApp->installEventFilter(this);
    QObject* target = qApp;
    com::SetApartmentPoster([target](com::ApartmentCall call) {
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
}

TApplication::~TApplication() {
    com::SetApartmentPoster(nullptr);
    if (qApp) qApp->removeEventFilter(this);
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
