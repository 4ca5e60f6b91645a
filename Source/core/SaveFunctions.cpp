#include "core/SaveFunctions.h"

#include "core/CFile.h"

#include <kavro/CRandom.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace Orvane
{

namespace
{

// Bytes between the current position and the end of the file; 0 when unknown.
uint64_t remainingBytes(CFile& file)
{
    const int64_t position = file.getFilePosition();
    const uint64_t size = file.getFileSize();
    if (position < 0 || uint64_t(position) > size)
        return 0;
    return size - uint64_t(position);
}

} // namespace

int SaveString(CFile& file, const std::string& s)
{
    if (s.size() >= UINT32_MAX)
        return 0;
    const uint32_t n = uint32_t(s.size() + 1);
    // c_str() carries the terminating NUL, so the n bytes are the string and its NUL.
    return file.writeDword(n) && file.write(s.c_str(), n) == n ? 1 : 0;
}

int LoadString(CFile& file, std::string& s)
{
    uint32_t n = 0;
    if (!file.readDword(n) || n == 0 || n > remainingBytes(file))
        return 0;
    std::vector<char> buffer(n, 0);
    if (file.read(buffer.data(), n) != n)
        return 0;
    // Up to the first NUL, and never past the bytes read when the record carries none.
    s.assign(buffer.data(), ::strnlen(buffer.data(), n));
    return 1;
}

int SaveRandomState(CFile& file, const Kavro::CRandom& random)
{
    const uint32_t count = random.GetMersenneTwisterCount();
    const uint32_t size = random.GetMersenneTwisterSize();
    if (!file.writeDword(count) || !file.writeDword(size))
        return 0;
    std::vector<uint8_t> state(size);
    if (!random.GetMersenneTwister(state.data()))
        return 0;
    return file.write(state.data(), size) == size ? 1 : 0;
}

int LoadRandomState(CFile& file, Kavro::CRandom& random)
{
    uint32_t count = 0;
    if (!file.readDword(count))
        return 0;
    random.SetMersenneTwisterCount(count);
    uint32_t size = 0;
    if (!file.readDword(size) || size != random.GetMersenneTwisterSize())
        return 0;
    std::vector<uint8_t> state(size);
    if (file.read(state.data(), size) != size)
        return 0;
    return random.SetMersenneTwister(state.data());
}

} // namespace Orvane
