#include "workers/KeptFiles.h"

#include "rtl/Exceptions.h"
#include "toolkit/Application.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace workers {
namespace {

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    passwd entry{};
    passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found &&
        found->pw_dir && *found->pw_dir)
        return found->pw_dir;
    return {};
}

std::string ConfigFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') return std::string(config) + "/hoxdesk/";
    const std::string home = HomeFolder();
    return home.empty() ? std::string() : home + "/.config/hoxdesk/";
}

bool Writable(const std::string& folder) {
    return !folder.empty() && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

} // namespace

std::string KeptFilesFolder() {
    const std::string beside = tk::TApplication::ExeDir();
    return Writable(beside) ? beside : ConfigFolder();
}

std::string MakeKeptFilesFolder() {
    const std::string folder = KeptFilesFolder();
    if (folder.empty())
        throw rtl::EInOutError("No folder to keep files in: the program's folder cannot be "
                               "written and there is no home folder",
                               ENOENT);
    if (folder == tk::TApplication::ExeDir()) return folder;
    // Every level made here is private to the user.
    for (size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        const std::string level = folder.substr(0, slash);
        if (::mkdir(level.c_str(), 0700) == 0 || errno == EEXIST) continue;
        const int error = errno;
        throw rtl::EInOutError("Cannot create folder \"" + level + "\": " + std::strerror(error),
                               error);
    }
    return folder;
}

std::vector<std::string> KeptFileReadPaths(const std::string& name) {
    const std::string beside = tk::TApplication::ExeDir();
    const std::string folder = KeptFilesFolder();
    std::vector<std::string> paths;
    if (!folder.empty()) paths.push_back(folder + name);
    if (folder != beside && !beside.empty()) paths.push_back(beside + name);
    return paths;
}

} // namespace workers
