// A top-level window with a caption, a client size, a position, key preview, and the workers
// it started. Closing the window is final: it ends the program.
#pragma once

#include "toolkit/Workers.h"

#include <QWidget>

#include <functional>
#include <string>
#include <string_view>

namespace tk {

class TForm : public QWidget {
public:
    explicit TForm(QWidget* parent = nullptr);

    std::string Caption() const;
    void SetCaption(std::string_view caption);
    void SetBounds(int width, int height);
    void CenterOnScreen();

    // With key preview on, every character typed anywhere in the form reaches OnKeyPress
    // before the focused control; a handler that sets the character to 0 consumes it.
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool on) { keyPreview_ = on; }
    std::function<void(char& key)> OnKeyPress;

    // The window's workers: counted, and waited for before anything they use goes.
    TWorkers& Workers() { return workers_; }
    // From now on the workers' hops fail fast and no message box waits for the user; then
    // waits for the workers that can still end (not for one whose hop the window thread is
    // running further down its stack). Closing the window does this.
    void BeginClosing();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    TWorkers workers_;
    bool keyPreview_ = false;
};

} // namespace tk
