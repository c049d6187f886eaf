// Where the desk keeps the files its next start reads: "Login.txt" and the calendar copies.
// Beside the program file while that folder can be written; otherwise (an installed program) in
// the user's configuration folder, $XDG_CONFIG_HOME/hoxdesk/ (~/.config/hoxdesk/ when that
// variable is unset or not an absolute path). Never the current folder.
#pragma once

#include <string>
#include <vector>

namespace workers {

// The folder kept files are written to, ending in '/', decided from the program's folder
// (tk::TApplication::ExeDir) as it is at the call; empty when the program's folder cannot be
// written and no home folder is known.
std::string KeptFilesFolder();

// KeptFilesFolder, with the configuration folder and its missing parents created (mode 0700).
// Raises rtl::EInOutError when there is no such folder or it cannot be made.
std::string MakeKeptFilesFolder();

// Where a kept file is read from, first found first: the folder it is written to; when that is
// the configuration folder, then beside the program (a copy placed with an installed program
// serves until the user's own is written).
std::vector<std::string> KeptFileReadPaths(const std::string& name);

} // namespace workers
