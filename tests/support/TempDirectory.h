#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace OrvaneTest
{

// A fresh directory under the temp folder, removed with everything in it on destruction.
class TempDirectory
{
public:
    TempDirectory();
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    void write(const std::string& name, const std::vector<uint8_t>& bytes) const;
    std::vector<uint8_t> read(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// Bytes that DEFLATE cannot shrink.
std::vector<uint8_t> NoiseBytes(size_t size, uint32_t seed);
// Text-like bytes that DEFLATE shrinks well.
std::vector<uint8_t> TextBytes(size_t size, uint32_t seed);

} // namespace OrvaneTest
