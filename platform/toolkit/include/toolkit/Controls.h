// The simple controls of a form: edits, buttons, labels, the status bar, tab pages and the
// timer. Texts are 8-bit; events are std::function members named On...
#pragma once

#include "gfx/Color.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tk {

QColor ToQColor(gfx::TColor color);

// An edit whose 8-bit text is held here. SetText is cheap: the widget shows the new text
// when the event loop next runs (through the application object; without one at once), once
// for however many changes came before, so a burst of quotes lays out each edit's text once
// instead of once per quote.
class TEdit : public QLineEdit {
public:
    explicit TEdit(QWidget* parent = nullptr);
    ~TEdit() override;
    const std::string& Text() const { return text_; }
    void SetText(std::string_view text);
    // Shows the text held now.
    void ShowText();

private:
    std::string text_;
    bool pending_ = false;
    bool showing_ = false;
};

class TButton : public QPushButton {
public:
    TButton(std::string_view caption, QWidget* parent = nullptr);
    std::function<void()> OnClick;
};

class TLabel : public QLabel {
public:
    TLabel(std::string_view caption, QWidget* parent = nullptr);
    std::string Caption() const;
    void SetCaption(std::string_view caption);
    void SetColor(gfx::TColor color);
};

// A status bar without panels that shows one simple text.
class TStatusBar : public QStatusBar {
public:
    explicit TStatusBar(QWidget* parent = nullptr);
    std::string SimpleText() const;
    void SetSimpleText(std::string_view text);

private:
    QLabel* text_;
};

class TTabSheet : public QWidget {
public:
    using QWidget::QWidget;
};

class TPageControl : public QTabWidget {
public:
    explicit TPageControl(QWidget* parent = nullptr);
    TTabSheet* AddPage(std::string_view caption);
    int PageCount() const { return count(); }
    std::string PageCaption(int index) const;
};

class TTimer : public QObject {
public:
    explicit TTimer(QObject* parent = nullptr);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    int Interval() const { return timer_.interval(); }
    void SetInterval(int ms);
    std::function<void()> OnTimer;

private:
    QTimer timer_;
    bool enabled_ = false;
};

} // namespace tk
