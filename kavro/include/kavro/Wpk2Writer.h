#pragma once

#include "kavro/Wpk2Format.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Kavro
{

// Builds WPK2 archives. Names are stored exactly as given (callers lower-case them for lookup); the
// writer does not judge them, so tests can also build archives that readers must refuse.
class Wpk2Writer
{
public:
    enum Layout
    {
        Auto,     // one piece up to 64 KiB, blocks above
        OnePiece, // one record covering the whole entry
        Blocked,  // 64 KiB blocks
    };

    // The vector is random unless set.
    explicit Wpk2Writer(const Wpk2Key& key);
    void setIv(const Wpk2Iv& iv) { iv_ = iv; }
    // Blocks are stored as they are when DEFLATE does not make them shorter; false stores every block.
    void setCompression(bool enabled) { compress_ = enabled; }

    void add(std::string name, std::vector<uint8_t> data, Layout layout = Auto);

    std::vector<uint8_t> build() const;
    // Writes to a temporary name beside the path and renames it on success; false with a message otherwise.
    bool writeFile(const std::string& path, std::string* error) const;

private:
    struct Item
    {
        std::string name;
        std::vector<uint8_t> data;
        bool onePiece = false;
    };

    Wpk2Key key_;
    Wpk2Iv iv_{};
    bool compress_ = true;
    std::vector<Item> items_;
};

} // namespace Kavro
