#include "toolkit/Cursors.h"

namespace tk {

namespace {

Qt::CursorShape ShapeOf(gfx::TCursorShape shape) {
    switch (shape) {
    case gfx::TCursorShape::Cross:
        return Qt::CrossCursor;
    case gfx::TCursorShape::PointingHand:
        return Qt::PointingHandCursor;
    case gfx::TCursorShape::OpenHand:
        return Qt::OpenHandCursor;
    case gfx::TCursorShape::ClosedHand:
        return Qt::ClosedHandCursor;
    case gfx::TCursorShape::Arrow:
        break;
    }
    return Qt::ArrowCursor;
}

Qt::CursorShape StandardShape(gfx::TCursor number) {
    switch (number) {
    case gfx::crNone:
        return Qt::BlankCursor;
    case gfx::crCross:
        return Qt::CrossCursor;
    case gfx::crIBeam:
        return Qt::IBeamCursor;
    case gfx::crSizeNESW:
        return Qt::SizeBDiagCursor;
    case gfx::crSizeNS:
        return Qt::SizeVerCursor;
    case gfx::crSizeNWSE:
        return Qt::SizeFDiagCursor;
    case gfx::crSizeWE:
        return Qt::SizeHorCursor;
    case gfx::crUpArrow:
        return Qt::UpArrowCursor;
    case gfx::crHourGlass:
        return Qt::WaitCursor;
    case gfx::crDrag:
        return Qt::DragCopyCursor;
    case gfx::crNoDrop:
    case gfx::crNo:
        return Qt::ForbiddenCursor;
    case gfx::crHSplit:
        return Qt::SplitHCursor;
    case gfx::crVSplit:
        return Qt::SplitVCursor;
    case gfx::crHelp:
        return Qt::WhatsThisCursor;
    case gfx::crHandPoint:
        return Qt::PointingHandCursor;
    case gfx::crSizeAll:
        return Qt::SizeAllCursor;
    default:
        return Qt::ArrowCursor;
    }
}

} // namespace

void TScreenCursors::RegisterCursor(gfx::TCursor number, gfx::TCursorShape shape) {
    registered_[number] = shape;
}

void TScreenCursors::UnregisterCursor(gfx::TCursor number) {
    registered_.erase(number);
}

QCursor TScreenCursors::CursorFor(gfx::TCursor number) const {
    const auto it = registered_.find(number);
    return QCursor(it != registered_.end() ? ShapeOf(it->second) : StandardShape(number));
}

TScreenCursors& ScreenCursors() {
    static TScreenCursors cursors;
    return cursors;
}

} // namespace tk
