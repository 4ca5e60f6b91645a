#pragma once

#include <cstdint>

namespace Orvane
{

class CFile;

// Writes one record chunk: a u32 end offset (patched by close), then fields, each preceded by a u32
// marker holding the marker's own file position. After the first failed write no further field
// is written; close still patches the end offset.
class CChunkWriter
{
public:
    explicit CChunkWriter(CFile& file);

    // Marker and bytes; false (and the writer stops) when either moves short.
    bool field(const void* bytes, uint32_t size);
    // Marker only, before a nested record that the caller writes itself.
    bool marker();
    bool fieldDword(uint32_t value);
    bool fieldFloat(float value);
    // Patches the end offset and moves to the end. True when every write succeeded.
    bool close();
    bool ok() const { return good; }

private:
    CFile& file;
    int64_t start;
    bool good;
};

} // namespace Orvane
