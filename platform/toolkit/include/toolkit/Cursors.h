// The screen's cursors: the standard cursor numbers and the ones a program registers.
#pragma once

#include "gfx/Input.h"

#include <QCursor>

#include <map>

namespace tk {

class TScreenCursors : public gfx::ICursorTable {
public:
    void RegisterCursor(gfx::TCursor number, gfx::TCursorShape shape) override;
    void UnregisterCursor(gfx::TCursor number) override;
    bool IsRegistered(gfx::TCursor number) const { return registered_.count(number) != 0; }
    // The Qt cursor for a number; unknown numbers give the arrow.
    QCursor CursorFor(gfx::TCursor number) const;

private:
    std::map<gfx::TCursor, gfx::TCursorShape> registered_;
};

// The application's screen cursors.
TScreenCursors& ScreenCursors();

} // namespace tk
