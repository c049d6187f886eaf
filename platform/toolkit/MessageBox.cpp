#include "toolkit/MessageBox.h"

#include "Text.h"

#include <QApplication>
#include <QMessageBox>

namespace tk {

namespace {

MessagePresenter& Presenter() {
    static MessagePresenter presenter;
    return presenter;
}

void ShowDialog(const std::string& text) {
    QMessageBox::information(QApplication::activeWindow(), QApplication::applicationDisplayName(),
                             AnsiToQString(text));
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

} // namespace tk
