#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Kavro
{

// Read-only access to the bytes of an archive: a file opened by path, or bytes held in memory.
// Reads take an absolute offset and share no position, so one file serves several readers and threads.
class Wpk2File
{
public:
    Wpk2File() = default;
    ~Wpk2File();
    Wpk2File(const Wpk2File&) = delete;
    Wpk2File& operator=(const Wpk2File&) = delete;

    // False when the path cannot be opened for reading or is not a regular file (errno says why).
    bool open(const std::string& path);
    void openMemory(std::vector<uint8_t> bytes);
    void close();
    bool isOpen() const { return fd_ >= 0 || inMemory_; }

    // Size when opened.
    uint64_t size() const { return size_; }
    // True only when exactly length bytes were read: a short read is a failure.
    bool readAt(uint64_t offset, void* destination, size_t length) const;
    // Bytes asked of readAt so far, for checking that readers read what they need and no more.
    uint64_t bytesRequested() const { return bytesRequested_.load(std::memory_order_relaxed); }

private:
    mutable std::atomic<uint64_t> bytesRequested_{0};
    int fd_ = -1;
    bool inMemory_ = false;
    std::vector<uint8_t> memory_;
    uint64_t size_ = 0;
};

} // namespace Kavro
