// A top-level window with a caption, a client size, a position and key preview.
#pragma once

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

    // Runs when the user closes the window, before it is hidden.
    std::function<void()> OnClose;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool keyPreview_ = false;
};

} // namespace tk
