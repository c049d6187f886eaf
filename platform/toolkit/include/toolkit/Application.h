// The application object: Qt's application, the message loop, the client's apartment on the
// window thread, the edits' deferred texts, and key preview for every form.
#pragma once

#include <QObject>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

class QApplication;

namespace com {
class TApartment;
}

namespace tk {

class TEdit;

class TApplication : public QObject {
public:
    // Creates the Qt application (unless one exists, as in tests) and enters the client's
    // apartment on this thread: calls posted to it run from this thread's event loop. One
    // application object at a time.
    TApplication(int& argc, char** argv);
    ~TApplication() override;

    // The application object, or null when there is none.
    static TApplication* Instance() { return instance_; }

    // Shows the edit's text when the event loop next runs, once for all the edits changed
    // before: timers run after the events already posted, so a burst of host calls is shown
    // once. ForgetText takes back an edit that goes or shows its text itself.
    void ShowTextLater(TEdit* edit);
    void ForgetText(TEdit* edit);

    // Runs the message loop until the last window closes; returns its exit code.
    int Run();
    // The full path of the program file and its folder (with a trailing '/').
    static std::string ExeName();
    static std::string ExeDir();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowTexts();

    static TApplication* instance_;
    std::unique_ptr<QApplication> owned_;
    std::unique_ptr<com::TApartment> apartment_;
    std::vector<TEdit*> pendingTexts_;
    QTimer textTimer_;
};

} // namespace tk
