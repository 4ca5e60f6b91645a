#include "core/CChunkReader.h"

#include "core/CFile.h"

#include <bit>

namespace Orvane
{

CChunkReader::CChunkReader(CFile& f) : file(f)
{
    const int64_t start = file.getFilePosition();
    endKnown = start >= 0 && file.readDword(end) == 1 && int64_t(end) >= start + 4;
    good = endKnown;
}

bool CChunkReader::marker()
{
    if (!good)
        return false;
    const int64_t position = file.getFilePosition();
    uint32_t stored = 0;
    good = file.readDword(stored) == 1 && position >= 0 && int64_t(stored) == position;
    return good;
}

bool CChunkReader::field(void* bytes, uint32_t size)
{
    return marker() && (good = file.read(bytes, size) == size);
}

bool CChunkReader::fieldDword(uint32_t& value)
{
    return marker() && (good = file.readDword(value) == 1);
}

bool CChunkReader::fieldFloat(float& value)
{
    uint32_t bits = 0;
    if (!fieldDword(bits))
        return false;
    value = std::bit_cast<float>(bits);
    return true;
}

bool CChunkReader::check(bool nestedResult)
{
    good = good && nestedResult;
    return good;
}

uint64_t CChunkReader::bytesLeft() const
{
    const int64_t position = file.getFilePosition();
    if (!endKnown || position < 0 || position >= int64_t(end))
        return 0;
    return uint64_t(int64_t(end) - position);
}

int CChunkReader::finish()
{
    if (endKnown && (!good || file.getFilePosition() != int64_t(end)))
        file.seekStart(end);
    return good ? 1 : 0;
}

} // namespace Orvane
