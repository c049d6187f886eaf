// Where the host's local socket lives: a folder only its user reaches, so no other user's
// program can talk to the host or stand in for it.
#pragma once

#include <string>

namespace hostlink {

// $XDG_RUNTIME_DIR/hoxdesk/host.sock; raises rtl::Exception when XDG_RUNTIME_DIR is not set.
std::string DefaultSocketPath();

// Raises rtl::Exception naming the folder of socketPath and what is wrong with it unless it is
// a folder of this user that no one else may enter (mode 0700 or stricter). With create, a
// missing folder is made with mode 0700 first.
void CheckSocketFolder(const std::string& socketPath, bool create);

} // namespace hostlink
