#pragma once

#include <cstdint>

namespace Orvane
{

class CFile;

// Reads one record chunk written by CChunkWriter. A marker that is not its own position or a short
// read fails the chunk; later fields are then not read. finish() leaves the file at the chunk's end,
// unless the end word itself is missing or lies before the chunk's first field: then the chunk fails
// where it stands, so a damaged end never sends a reader backwards.
class CChunkReader
{
public:
    explicit CChunkReader(CFile& file);

    bool field(void* bytes, uint32_t size);
    // Marker only, before a nested record that the caller reads itself.
    bool marker();
    bool fieldDword(uint32_t& value);
    bool fieldFloat(float& value);
    // A nested reader's result: false fails the chunk.
    bool check(bool nestedResult);
    // Seeks to the end offset when the chunk failed or the position is not there. 1 on success, else 0.
    int finish();
    bool ok() const { return good; }
    // Bytes from the file's position to the chunk's end: what a length read inside the chunk may claim.
    // 0 when the end is unknown or already passed.
    uint64_t bytesLeft() const;

private:
    CFile& file;
    uint32_t end = 0;
    bool endKnown = false; // false when the end word was missing or points back into the chunk
    bool good = true;
};

} // namespace Orvane
