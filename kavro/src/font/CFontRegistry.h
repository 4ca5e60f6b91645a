#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Kavro
{

// Where a face's data is: a file on disk, or bytes held for the run.
struct FaceSource
{
    std::string path;
    std::shared_ptr<const std::vector<uint8_t>> bytes;
    long index = 0;

    // A new FreeType face over the source; null when it cannot be read.
    FT_Face open(FT_Library library) const;
};

// The game's own font files, registered from memory and found by family name.
class CFontRegistry
{
public:
    // Registers every face of the file; the number registered (0 when the bytes are no font).
    int add(FT_Library library, const uint8_t* data, size_t size);
    // The registered face of the family closest to the weight and slant; false when none has the family.
    bool find(const std::string& family, int weight, bool italic, FaceSource& out) const;

private:
    struct Entry
    {
        std::vector<std::string> names;
        FaceSource source;
        int weight = 400;
        bool italic = false;
    };
    std::vector<Entry> entries_;
};

// The OS/2 weight class of a face; 400 without one.
int FaceWeight(FT_Face face);

} // namespace Kavro
