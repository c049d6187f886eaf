#include "app/ReplayBar.h"

#include "com/OleCheck.h"
#include "replay/Readers.h"
#include "toolkit/Controls.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

QString Latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

// The description the failed call left, else the code's text.
std::string Describe(com::HRESULT hr) {
    std::string text = com::TakeErrorInfo(hr);
    return text.empty() ? com::SysErrorMessage(hr) : text;
}

} // namespace

TReplayBar::TReplayBar(QWidget& mainWindow, tk::TStatusBar& statusBar)
    : main_(mainWindow), statusBar_(statusBar) {}

TReplayBar::~TReplayBar() {
    Detach();
}

void TReplayBar::Attach(hox::IHoxComMgr* manager) {
    Detach();
    if (!manager || com::FAILED(manager->QueryInterface(hox::IID_IHoxReplay, replay_.PutVoid())))
        return;
    hox::ReplayPosition position{};
    const com::HRESULT hr = replay_->GetPosition(&position);
    if (hr == com::E_NOTIMPL) {
        unsupported_ =
            "Replay control: " + Describe(hr) + " (a host program older than replay control)";
        qApp->installEventFilter(this);
        return;
    }
    if (com::FAILED(hr) || !position.replaying) {
        replay_.Reset();
        return;
    }
    label_ = new QLabel(&statusBar_);
    statusBar_.addPermanentWidget(label_);
    jumpBox_ = new QLineEdit(&statusBar_);
    jumpBox_->setPlaceholderText("yyyy-mm-dd hh:mm:ss.fff");
    jumpBox_->setFixedWidth(jumpBox_->fontMetrics().horizontalAdvance("0000-00-00 00:00:00.0000"));
    jumpBox_->hide();
    statusBar_.addPermanentWidget(jumpBox_);
    QObject::connect(jumpBox_, &QLineEdit::returnPressed, this, [this] {
        if (Jump(jumpBox_->text().toStdString())) jumpBox_->hide();
    });
    jumpBox_->installEventFilter(this);
    timer_ = new QTimer(this);
    timer_->setInterval(PollMs);
    QObject::connect(timer_, &QTimer::timeout, this, [this] { Refresh(); });
    timer_->start();
    qApp->installEventFilter(this);
    label_->setText(Latin1(Text(position)));
}

void TReplayBar::Detach() {
    qApp->removeEventFilter(this);
    delete timer_;
    delete label_;
    delete jumpBox_;
    timer_ = nullptr;
    label_ = nullptr;
    jumpBox_ = nullptr;
    replay_.Reset();
    unsupported_.clear();
}

std::string TReplayBar::Text(const hox::ReplayPosition& position) {
    char time[96] = "";
    if (position.recordUs != 0) { // 0: before the first record
        // Whole seconds and milliseconds, rounded down also before 1970.
        const int64_t us = position.recordUs;
        const int64_t ms = us / 1000 - (us % 1000 < 0 ? 1 : 0);
        const int64_t s = ms / 1000 - (ms % 1000 < 0 ? 1 : 0);
        const time_t seconds = time_t(s);
        std::tm utc{};
        // A time no calendar holds (a host's stray value) shows no time.
        if (gmtime_r(&seconds, &utc) && utc.tm_year >= -1900 && utc.tm_year <= 9999 - 1900)
            std::snprintf(time, sizeof time, " %04d-%02d-%02d %02d:%02d:%02d.%03d",
                          utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min,
                          utc.tm_sec, int(ms - s * 1000));
    }
    char text[160];
    // The percent is the host's: kept to 0..100 whatever it sends.
    const double percent =
        std::isnan(position.percent) ? 0 : std::clamp(position.percent, 0.0, 100.0);
    std::snprintf(text, sizeof text, "Replay%s  %.0f %%%s", time, percent,
                  position.ended    ? "  ended"
                  : position.paused ? "  paused"
                                    : "");
    return text;
}

void TReplayBar::Refresh() {
    if (!label_) return;
    hox::ReplayPosition position{};
    // A host that is gone for a while keeps the last position shown. One that does not answer
    // is asked less and less often, so its short call deadline holds the window rarely.
    const com::HRESULT hr = replay_->GetPosition(&position);
    timer_->setInterval(com::FAILED(hr) ? std::min(timer_->interval() * 2, MaxPollMs) : PollMs);
    if (com::FAILED(hr) || !position.replaying) return;
    label_->setText(Latin1(Text(position)));
}

bool TReplayBar::Failed(com::HRESULT hr) {
    label_->setText(Latin1("Replay: " + Describe(hr)));
    return false;
}

void TReplayBar::TogglePause() {
    if (!label_) return;
    hox::ReplayPosition position{};
    com::HRESULT hr = replay_->GetPosition(&position);
    if (!com::FAILED(hr)) hr = replay_->SetPaused(position.paused ? 0 : com::VARIANT_TRUE);
    if (com::FAILED(hr)) {
        Failed(hr);
        return;
    }
    Refresh();
}

void TReplayBar::ShowJumpBox() {
    if (!jumpBox_) return;
    jumpBox_->clear();
    jumpBox_->show();
    jumpBox_->setFocus();
}

bool TReplayBar::Jump(const std::string& text) {
    if (!label_) return false;
    std::string iso = text;
    const size_t space = iso.find(' ');
    if (space != std::string::npos) iso[space] = 'T';
    int64_t us = 0;
    if (!replay::ParseTimeText(iso, us)) {
        label_->setText(Latin1("Replay: not a time: " + text.substr(0, 40)));
        return false;
    }
    const com::HRESULT hr = replay_->JumpTo(us);
    if (com::FAILED(hr)) return Failed(hr);
    Refresh();
    return true;
}

bool TReplayBar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (watched == jumpBox_ && key->key() == Qt::Key_Escape) {
        jumpBox_->hide();
        return true;
    }
    if (key->modifiers() != Qt::ControlModifier ||
        (key->key() != Qt::Key_P && key->key() != Qt::Key_J))
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != &main_) return false;
    if (!unsupported_.empty())
        statusBar_.SetSimpleText(unsupported_);
    else if (key->key() == Qt::Key_P)
        TogglePause();
    else
        ShowJumpBox();
    return true;
}
