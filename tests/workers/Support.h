// Shared pieces of the worker tests: the application object, scratch folders, file bytes.
#pragma once

#include "toolkit/GridCells.h"

#include <QApplication>

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer's allocator interface (g++ ships the library without its header).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace testing_support {

// Widgets need one application object for the whole test program.
inline QApplication& App() {
    static int argc = 1;
    static char name[] = "test_workers";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// A fresh folder, removed with everything in it at the end of the test.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "hoxdesk-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Makes a folder the current one for the scope.
class CurrentDir {
public:
    explicit CurrentDir(const std::filesystem::path& dir)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~CurrentDir() { std::filesystem::current_path(previous_); }

private:
    std::filesystem::path previous_;
};

// A grid of the given shape, filled column by column with the texts given.
inline tk::TGridCells Grid(int cols, int rows, std::initializer_list<const char*> columnMajor) {
    tk::TGridCells g(cols, rows);
    auto it = columnMajor.begin();
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows && it != columnMajor.end(); ++r) g.SetCell(c, r, *it++);
    return g;
}

// Bytes the process holds allocated on the heap now.
inline size_t AllocatedBytes() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

inline std::string ReadBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

} // namespace testing_support
