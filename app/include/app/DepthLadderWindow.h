// The depth ladder's window: a window of its own beside the main window, opened with F3 typed
// anywhere in the main window and closed with Escape. It takes the Level 2 records the main
// window gets and keeps its own ladder of them, whether it is shown or not.
#pragma once

#include "HOXQUOTELib_TLB.h"
#include "app/DepthLadder.h"
#include "app/DepthLadderView.h"

#include <QWidget>

#include <string>

namespace tk {
class TPanelWidget;
}

class TDepthLadderWindow : public QWidget {
public:
    // Watches mainWindow for F3; the window itself has no parent, so it stands beside it.
    explicit TDepthLadderWindow(QWidget& mainWindow);
    ~TDepthLadderWindow() override;

    // One Level 2 record; a record of another symbol than the last starts a new ladder.
    void Level2(const hox::Level2Record& record);
    // Forgets the book and its symbol (the session stopped); the next record starts anew.
    void Clear();
    const TDepthLadder& Ladder() const { return ladder_; }
    // How often the ladder was drawn.
    int Paints() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& main_;
    TDepthLadder ladder_;
    TDepthLadderView view_{ladder_};
    tk::TPanelWidget* panel_;
    std::string symbol_;
};
