#include "toolkit/Controls.h"

#include "Text.h"
#include "toolkit/Application.h"
#include "toolkit/MessageBox.h"

namespace tk {

QColor ToQColor(gfx::TColor color) {
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

TEdit::TEdit(QWidget* parent) : QLineEdit(parent) {
    // What the user types (or a paste, an undo) becomes the edit's text.
    connect(this, &QLineEdit::textChanged, this, [this](const QString& q) {
        if (!showing_) {
            text_ = QStringToAnsi(q);
            if (pending_) TApplication::Instance()->ForgetText(this);
            pending_ = false;
        }
    });
}

TEdit::~TEdit() {
    if (pending_) TApplication::Instance()->ForgetText(this);
}

void TEdit::SetText(std::string_view text) {
    if (text == text_) return;
    text_.assign(text);
    if (pending_) return;
    TApplication* app = TApplication::Instance();
    if (!app) return ShowText();
    pending_ = true;
    app->ShowTextLater(this);
}

void TEdit::ShowText() {
    if (pending_) TApplication::Instance()->ForgetText(this);
    pending_ = false;
    showing_ = true;
    setText(AnsiToQString(text_));
    showing_ = false;
}

TButton::TButton(std::string_view caption, QWidget* parent)
    : QPushButton(AnsiToQString(caption), parent) {
    connect(this, &QPushButton::clicked, this, [this] {
        // A handler's error is reported to the user here; it never reaches Qt's event loop.
        try {
            if (OnClick) OnClick();
        } catch (const std::exception& e) {
            ShowException(e);
        }
    });
}

TLabel::TLabel(std::string_view caption, QWidget* parent)
    : QLabel(AnsiToQString(caption), parent) {}

std::string TLabel::Caption() const {
    return QStringToAnsi(text());
}

void TLabel::SetCaption(std::string_view caption) {
    setText(AnsiToQString(caption));
}

void TLabel::SetColor(gfx::TColor color) {
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ToQColor(color));
    setPalette(pal);
}

TStatusBar::TStatusBar(QWidget* parent) : QStatusBar(parent), text_(new QLabel(this)) {
    setSizeGripEnabled(false);
    addWidget(text_, 1);
}

std::string TStatusBar::SimpleText() const {
    return QStringToAnsi(text_->text());
}

void TStatusBar::SetSimpleText(std::string_view text) {
    text_->setText(AnsiToQString(text));
}

TPageControl::TPageControl(QWidget* parent) : QTabWidget(parent) {}

TTabSheet* TPageControl::AddPage(std::string_view caption) {
    auto* page = new TTabSheet(this);
    addTab(page, AnsiToQString(caption));
    return page;
}

std::string TPageControl::PageCaption(int index) const {
    return QStringToAnsi(tabText(index));
}

TTimer::TTimer(QObject* parent) : QObject(parent) {
    connect(&timer_, &QTimer::timeout, this, [this] {
        try {
            if (OnTimer) OnTimer();
        } catch (const std::exception& e) {
            ShowException(e);
        }
    });
}

void TTimer::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (enabled)
        timer_.start();
    else
        timer_.stop();
}

void TTimer::SetInterval(int ms) {
    timer_.setInterval(ms);
    if (enabled_) timer_.start();
}

} // namespace tk
