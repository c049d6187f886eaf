// Messages to the user. They go through a presenter so that tests capture them instead of
// opening a dialog that would block.
#pragma once

#include <exception>
#include <functional>
#include <string>

namespace tk {

using MessagePresenter = std::function<void(const std::string& text)>;

// Installs a presenter and returns the previous one. An empty presenter restores the dialog.
MessagePresenter SetMessagePresenter(MessagePresenter presenter);
// Shows 8-bit text; safe only on the window thread.
void ShowMessage(const std::string& text);
// The toolkit's report of an error raised in a handler: its text, as a message.
void ShowException(const std::exception& error);
// Closes the message dialogs on screen as their button would. A closing window's worker may
// be waiting for one that the window thread runs further down its stack.
void CloseMessageBoxes();

} // namespace tk
