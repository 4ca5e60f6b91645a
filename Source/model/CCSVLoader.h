#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Orvane
{

// Reads a small comma-separated text file into rows of UTF-8 fields. Double quotes protect line ends
// (and "" stands for one quote inside them); every comma splits, quoted or not.
class CCSVLoader
{
public:
    virtual ~CCSVLoader() = default;

    // 0 when the file was read (even without rows); -3 when it cannot be opened or loaded, or is empty.
    int32_t Load(const char* path);
    // The same over bytes already in memory (read up to the first zero byte).
    int32_t Parse(const uint8_t* bytes, size_t size);

    std::vector<std::vector<std::string>> rows;
};

} // namespace Orvane
