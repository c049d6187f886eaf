// The bytes a reader parses: a file (gzip or plain, told by its content) or memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace replay {

class ByteInput {
public:
    virtual ~ByteInput() = default;
    // Up to size bytes into buffer, 0 at the end; raises ReplayError on damaged data.
    virtual size_t Read(char* buffer, size_t size) = 0;
    // Bytes of the underlying file consumed so far and in all (the compressed ones for gzip),
    // the replay's position.
    virtual uint64_t Consumed() const = 0;
    virtual uint64_t Size() const = 0;
};

// Raises ReplayError when the file cannot be opened.
std::unique_ptr<ByteInput> OpenFileInput(const std::string& path);
std::unique_ptr<ByteInput> MemoryInput(std::string bytes);

} // namespace replay
