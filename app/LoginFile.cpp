#include "LoginFile.h"

#include "rtl/Exceptions.h"
#include "workers/KeptFiles.h"
#include "workers/TextFile.h"

#include <cerrno>
#include <string_view>

namespace {

// Three lines never need more; an over-long line is cut anyway, so a huge file without line
// ends costs one read of this size.
constexpr size_t kLoginHeadBytes = 1 << 20;

} // namespace

bool ReadLoginFile(const std::string& path, TLoginValues& values) {
    std::string head;
    try {
        head = workers::ReadFileHead(path, kLoginHeadBytes);
    } catch (const rtl::EInOutError& e) {
        if (e.ErrorCode == ENOENT) return false;
        throw;
    }
    std::string* lines[3] = {&values.UserName, &values.Password, &values.ClientId};
    workers::TLineReader reader(head);
    for (std::string* line : lines) {
        std::string_view text;
        if (!reader.Next(text)) text = {};
        line->assign(text.substr(0, kMaxLoginLine));
    }
    return true;
}

void WriteLoginFile(const std::string& path, const TLoginValues& values) {
    workers::WriteWholeFile(
        path, values.UserName + "\r\n" + values.Password + "\r\n" + values.ClientId + "\r\n",
        /*ownerOnly=*/true);
}

bool ReadRememberedLogin(TLoginValues& values) {
    for (const std::string& path : workers::KeptFileReadPaths("Login.txt"))
        if (ReadLoginFile(path, values)) return true;
    return false;
}

void RememberLogin(const TLoginValues& values) {
    WriteLoginFile(workers::MakeKeptFilesFolder() + "Login.txt", values);
}
