// The application object: Qt's application, the message loop, the host's apartment on the
// window thread, and key preview for every form.
#pragma once

#include <QObject>

#include <memory>
#include <string>

class QApplication;

namespace tk {

class TApplication : public QObject {
public:
    // Creates the Qt application (unless one exists, as in tests) and routes calls posted to
    // the client's apartment onto this thread's event loop.
    TApplication(int& argc, char** argv);
    ~TApplication() override;

    // Runs the message loop until the last window closes; returns its exit code.
    int Run();
    // The full path of the program file and its folder (with a trailing '/').
    static std::string ExeName();
    static std::string ExeDir();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<QApplication> owned_;
};

} // namespace tk
