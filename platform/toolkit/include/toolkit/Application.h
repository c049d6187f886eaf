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
    // The full path of the program file.
    static std::string ExeName();
    // The program's folder (with a trailing '/'), where it keeps its files: the folder of the
    // program file unless set otherwise (tests give each run a folder of its own).
    // The application object's, or the program file's when there is none.
    static std::string ExeDir();
    void SetExeDir(std::string folder);

    // Without a display the Qt application cannot start. Returns what is missing and how to
    // run the program instead, or an empty text when the chosen platform needs no display or
    // one is named. argv may carry Qt's -platform option.
    static std::string MissingDisplay(int argc, char** argv);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowTexts();
    static std::string RunWithoutDisplay();
    static void StartMessage(QtMsgType type, const QMessageLogContext& context,
                             const QString& message);

    static TApplication* instance_;
    static QtMessageHandler startHandler_;
    std::unique_ptr<QApplication> owned_;
    std::unique_ptr<com::TApartment> apartment_;
    std::vector<TEdit*> pendingTexts_;
    QTimer textTimer_;
    std::string exeDir_;
};

// A private runtime folder (mode 0700) for a process started without XDG_RUNTIME_DIR, which Qt
// otherwise warns about at every start; removed with this object. Does nothing when the
// variable is set.
class TRuntimeDir {
public:
    TRuntimeDir();
    ~TRuntimeDir();
    TRuntimeDir(const TRuntimeDir&) = delete;
    TRuntimeDir& operator=(const TRuntimeDir&) = delete;

    // The folder made, or empty when the environment named one.
    const std::string& Made() const { return made_; }

private:
    std::string made_;
};

} // namespace tk
