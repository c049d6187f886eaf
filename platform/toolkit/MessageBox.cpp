#include "toolkit/MessageBox.h"

#include "Text.h"

#include <QApplication>
#include <QMessageBox>

#include <vector>

namespace tk {

namespace {

MessagePresenter& Presenter() {
    static MessagePresenter presenter;
    return presenter;
}

// The dialogs on screen, innermost last. Window thread only.
std::vector<QMessageBox*>& OpenBoxes() {
    static std::vector<QMessageBox*> boxes;
    return boxes;
}

void ShowDialog(const std::string& text) {
    QMessageBox box(QMessageBox::Information, QApplication::applicationDisplayName(),
                    AnsiToQString(text), QMessageBox::Ok, QApplication::activeWindow());
    OpenBoxes().push_back(&box);
    box.exec();
    std::erase(OpenBoxes(), &box);
}

} // namespace

MessagePresenter SetMessagePresenter(MessagePresenter presenter) {
    MessagePresenter old = std::move(Presenter());
    Presenter() = std::move(presenter);
    return old;
}

void ShowMessage(const std::string& text) {
    if (Presenter())
        Presenter()(text);
    else
        ShowDialog(text);
}

void ShowException(const std::exception& error) {
    ShowMessage(error.what());
}

void CloseMessageBoxes() {
    for (QMessageBox* box : OpenBoxes()) box->done(QMessageBox::Ok);
}

} // namespace tk
