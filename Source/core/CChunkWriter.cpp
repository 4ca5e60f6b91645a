#include "core/CChunkWriter.h"

#include "core/CFile.h"

#include <bit>

namespace Orvane
{

CChunkWriter::CChunkWriter(CFile& f) : file(f), start(f.getFilePosition())
{
    good = start >= 0 && start <= int64_t(UINT32_MAX) && file.writeDword(uint32_t(start));
}

bool CChunkWriter::marker()
{
    if (!good)
        return false;
    const int64_t position = file.getFilePosition();
    good = position >= 0 && position <= int64_t(UINT32_MAX) && file.writeDword(uint32_t(position));
    return good;
}

bool CChunkWriter::field(const void* bytes, uint32_t size)
{
    if (!marker())
        return false;
    good = file.write(bytes, size) == size;
    return good;
}

bool CChunkWriter::fieldDword(uint32_t value)
{
    return marker() && (good = file.writeDword(value) == 1);
}

bool CChunkWriter::fieldFloat(float value)
{
    return fieldDword(std::bit_cast<uint32_t>(value));
}

bool CChunkWriter::close()
{
    const int64_t end = file.getFilePosition();
    if (start < 0 || end < 0 || end > int64_t(UINT32_MAX))
        return good = false;
    const bool patched = file.seekStart(start) == 0 && file.writeDword(uint32_t(end)) == 1;
    const bool back = file.seekStart(end) == 0;
    good = good && patched && back;
    return good;
}

} // namespace Orvane
