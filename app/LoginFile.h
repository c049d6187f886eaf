// "Login.txt": user name, password and SDK client id, one per line (CR LF).
#pragma once

#include <string>

struct TLoginValues {
    std::string UserName;
    std::string Password;
    std::string ClientId;
};

// Reads the first three lines; a missing line is empty. Lines may end in CR LF, LF or CR.
// A line is cut at kMaxLoginLine characters (an edit cannot hold more), and only the head of a
// large file is read. Returns false when the file does not exist; raises rtl::EInOutError when
// it exists but cannot be read, or is not a regular file (a folder, a FIFO, a device).
bool ReadLoginFile(const std::string& path, TLoginValues& values);

// Creates or overwrites the file, readable and writable by its owner only (it holds a
// password). Raises rtl::EInOutError on failure.
void WriteLoginFile(const std::string& path, const TLoginValues& values);

constexpr size_t kMaxLoginLine = 32767;

// The remembered login, "Login.txt" in the first of workers::KeptFileReadPaths that has one.
// Returns false when none has; raises as ReadLoginFile.
bool ReadRememberedLogin(TLoginValues& values);

// Writes "Login.txt" where the next start reads it first (workers::MakeKeptFilesFolder).
// Raises rtl::EInOutError on failure.
void RememberLogin(const TLoginValues& values);
