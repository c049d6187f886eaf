#include "hostlink/SocketFolder.h"

#include "rtl/Exceptions.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace hostlink {

std::string DefaultSocketPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime)
        throw rtl::Exception("XDG_RUNTIME_DIR is not set, so the host's socket has no folder");
    return std::string(runtime) + "/hoxdesk/host.sock";
}

void CheckSocketFolder(const std::string& socketPath, bool create) {
    const size_t slash = socketPath.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : socketPath.substr(0, slash);
    if (create && mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        throw rtl::Exception("Cannot make the socket folder " + folder + ": " +
                             std::strerror(errno));
    struct stat st {};
    if (lstat(folder.empty() ? "/" : folder.c_str(), &st) != 0)
        throw rtl::Exception("Cannot use the socket folder " + folder + ": " +
                             std::strerror(errno));
    if (!S_ISDIR(st.st_mode)) throw rtl::Exception("The socket folder " + folder + " is no folder");
    if (st.st_uid != geteuid())
        throw rtl::Exception("The socket folder " + folder + " belongs to another user (uid " +
                             std::to_string(st.st_uid) + ")");
    if (st.st_mode & 077) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", unsigned(st.st_mode & 07777));
        throw rtl::Exception("The socket folder " + folder + " is open to other users (mode " +
                             mode + "; it must be 0700)");
    }
}

} // namespace hostlink
