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
#include <QSocketNotifier>
#include <QThread>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace tk {

namespace {

// The folder part with its trailing '/'; a name without a folder gives "" (the current one).
std::string FolderOf(std::string path) {
    path.erase(path.rfind('/') + 1);
    return path;
}

// Runs a call of a server on the window thread; an error it raises is shown, and the window
// goes on.
void RunShowingErrors(const com::ApartmentCall& call) {
    try {
        call();
    } catch (const std::exception& e) {
        ShowException(e);
    }
}

// Watches a descriptor for the window thread with a socket notifier. Whatever thread lets go of
// the watch, its call stops at once; the notifier goes with it on the window thread, or later
// there when its own call or another thread let go of it.
com::ApartmentWatch WatchDescriptor(int fd, com::ApartmentCall onReadable) {
    struct State {
        std::atomic<bool> alive{true};
        bool running = false; // window thread
    };
    auto* notifier = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read);
    auto state = std::make_shared<State>();
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [state, call = std::move(onReadable)] {
                         if (!state->alive) return;
                         state->running = true;
                         RunShowingErrors(call);
                         state->running = false;
                     });
    return com::ApartmentWatch(notifier, [state](QSocketNotifier* n) {
        state->alive = false;
        if (QThread::currentThread() == n->thread() && !state->running) {
            delete n;
            return;
        }
        QMetaObject::invokeMethod(
            n,
            [n] {
                n->setEnabled(false);
                n->deleteLater();
            },
            Qt::QueuedConnection);
    });
}

} // namespace

TApplication* TApplication::instance_ = nullptr;

TApplication::TApplication(int& argc, char** argv) {
    if (instance_) throw rtl::Exception("There is an application object already");
    if (!QApplication::instance()) {
        // A display that cannot be opened ends Qt's start in a fatal message and an abort;
        // say instead what is missing and how to run the program.
        startHandler_ = qInstallMessageHandler(&TApplication::StartMessage);
        owned_ = std::make_unique<QApplication>(argc, argv);
        qInstallMessageHandler(startHandler_);
    }
    // The window's layout is measured for an 8 pt Arial-metric font; Liberation Sans has
    // Arial's metrics.
    QApplication::setFont(QFont("Liberation Sans", 8));
    qApp->installEventFilter(this);
    QObject* target = qApp;
    apartment_ = std::make_unique<com::TApartment>(
        [target](com::ApartmentCall call) {
            QMetaObject::invokeMethod(
                target, [call = std::move(call)] { RunShowingErrors(call); },
                Qt::QueuedConnection);
        },
        WatchDescriptor);
    textTimer_.setSingleShot(true);
    textTimer_.setInterval(0);
    connect(&textTimer_, &QTimer::timeout, this, [this] { ShowTexts(); });
    exeDir_ = FolderOf(ExeName());
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

QtMessageHandler TApplication::startHandler_ = nullptr;

void TApplication::StartMessage(QtMsgType type, const QMessageLogContext& context,
                                const QString& message) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "cannot start: %s\n%s", message.toLocal8Bit().constData(),
                     RunWithoutDisplay().c_str());
        std::_Exit(2);
    }
    if (startHandler_) startHandler_(type, context, message);
}

std::string TApplication::ExeDir() {
    return instance_ ? instance_->exeDir_ : FolderOf(ExeName());
}

void TApplication::SetExeDir(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    exeDir_ = std::move(folder);
}

std::string TApplication::MissingDisplay(int argc, char** argv) {
    std::string platform;
    if (const char* chosen = std::getenv("QT_QPA_PLATFORM")) platform = chosen;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0) platform = argv[i + 1];
    const bool windowed =
        platform.empty() || platform.rfind("xcb", 0) == 0 || platform.rfind("wayland", 0) == 0;
    auto named = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    if (!windowed || named("DISPLAY") || named("WAYLAND_DISPLAY")) return {};
    return "no display: neither DISPLAY nor WAYLAND_DISPLAY is set.\n" + RunWithoutDisplay();
}

std::string TApplication::RunWithoutDisplay() {
    std::string name = ExeName();
    name = name.substr(name.rfind('/') + 1);
    return "Run it in a virtual X server: xvfb-run -a " + (name.empty() ? "PROGRAM" : name) + "\n";
}

TRuntimeDir::TRuntimeDir() {
    const char* named = std::getenv("XDG_RUNTIME_DIR");
    if (named && *named) return;
    char folder[] = "/tmp/runtime-XXXXXX"; // mkdtemp makes it with mode 0700
    if (!mkdtemp(folder)) return;
    made_ = folder;
    setenv("XDG_RUNTIME_DIR", folder, 1);
}

TRuntimeDir::~TRuntimeDir() {
    if (made_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(made_, ignored);
    unsetenv("XDG_RUNTIME_DIR");
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
