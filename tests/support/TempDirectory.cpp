#include "support/TempDirectory.h"

#include <atomic>
#include <fstream>
#include <random>
#include <unistd.h>

namespace OrvaneTest
{

TempDirectory::TempDirectory()
{
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("orvane-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

TempDirectory::~TempDirectory()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void TempDirectory::write(const std::string& name, const std::vector<uint8_t>& bytes) const
{
    const auto target = path_ / name;
    std::filesystem::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<uint8_t> TempDirectory::read(const std::string& name) const
{
    std::ifstream in(path_ / name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> NoiseBytes(size_t size, uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(size);
    for (auto& b : bytes)
        b = uint8_t(random());
    return bytes;
}

std::vector<uint8_t> TextBytes(size_t size, uint32_t seed)
{
    static const char* const words[] = {"orvane ", "engine ", "script ", "sprite ", "[Init]\n", "= 1280\n", "text "};
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes;
    bytes.reserve(size + 8);
    while (bytes.size() < size)
    {
        for (const char* c = words[random() % 7]; *c; ++c)
            bytes.push_back(uint8_t(*c));
    }
    bytes.resize(size);
    return bytes;
}

} // namespace OrvaneTest
