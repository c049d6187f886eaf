// The replay in the main window, while the host serves one: its position at the right of the
// status bar ("Replay 2024-03-01 12:00:01.250  37 %", with "paused" or "ended"), Ctrl+P typed
// anywhere in the window to pause and resume, and Ctrl+J to jump to a time typed into a small
// box beside it (Enter jumps, Escape closes it). Without a replay none of it shows and the keys
// do nothing.
#pragma once

#include "HOXCOMLib_TLB.h"
#include "HoxReplay.h"
#include "com/ComPtr.h"

#include <QObject>

#include <string>

class QLabel;
class QLineEdit;
class QTimer;
namespace tk {
class TStatusBar;
}

class TReplayBar : public QObject {
public:
    TReplayBar(QWidget& mainWindow, tk::TStatusBar& statusBar);
    ~TReplayBar() override;

    // Asks the manager's host whether it replays; when it does, shows the position and polls
    // it four times a second, less often while the host does not answer. A host program too
    // old to tell leaves the keys saying so.
    void Attach(hox::IHoxComMgr* manager);
    void Detach();
    bool Replaying() const { return label_ != nullptr; }

    // Reads the position now and shows it.
    void Refresh();
    void TogglePause();
    void ShowJumpBox();
    // Jumps to the time (yyyy-mm-dd hh:mm:ss[.fff], UTC); false, with the reason shown, when
    // it is no time or the host refused.
    bool Jump(const std::string& text);

    // The text of a position.
    static std::string Text(const hox::ReplayPosition& position);
    // The shown text and the jump box, for the tests; null without a replay.
    QLabel* Label() const { return label_; }
    QLineEdit* JumpBox() const { return jumpBox_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int PollMs = 250, MaxPollMs = 4000;

    // Shows the failure's description; false.
    bool Failed(com::HRESULT hr);

    QWidget& main_;
    tk::TStatusBar& statusBar_;
    com::ComPtr<hox::IHoxReplay> replay_;
    std::string unsupported_; // why an older host cannot replay here
    QLabel* label_ = nullptr;
    QLineEdit* jumpBox_ = nullptr;
    QTimer* timer_ = nullptr;
};
