#pragma once

#include "kavro/Wpk2Format.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Kavro
{

// Builds WPK2 archives. Names are stored exactly as given (callers lower-case them for lookup); the
// writer does not judge them, so tests can also build archives that readers must refuse. Entries added
// from files are read while the archive is written, a batch of blocks at a time, so memory stays small
// whatever the archive's size. Blocks are deflated and encrypted on several threads; the bytes written
// are the same for any thread count.
class Wpk2Writer
{
public:
    enum Layout
    {
        Auto,     // one piece up to 64 KiB, blocks above
        OnePiece, // one record covering the whole entry
        Blocked,  // 64 KiB blocks
    };

    // The vector is random unless set; when no random bytes can be had, writing fails until one is set.
    explicit Wpk2Writer(const Wpk2Key& key);
    void setIv(const Wpk2Iv& iv);
    // Blocks are stored as they are when DEFLATE does not make them shorter; false stores every block.
    void setCompression(bool enabled) { compress_ = enabled; }
    // 0 uses every core.
    void setThreads(unsigned count) { threads_ = count; }

    void add(std::string name, std::vector<uint8_t> data, Layout layout = Auto);
    // An entry whose bytes are read from path when the archive is written; size is what was listed, and
    // a file that no longer has that size fails the write.
    void addFile(std::string name, std::string path, uint64_t size, Layout layout = Auto);

    // The whole archive; empty when it cannot be built (writeFile says why).
    std::vector<uint8_t> build() const;
    // Replaces path through SafeFileWriter; false with a message naming the path and the reason otherwise
    // (nothing is left at path then, an old file stays as it was).
    bool writeFile(const std::string& path, std::string* error) const;

    // Where the archive goes: appended bytes, and the index patched in at the end.
    class Output
    {
    public:
        virtual ~Output() = default;
        virtual bool append(const uint8_t* data, size_t size) = 0;
        virtual bool patch(uint64_t offset, const uint8_t* data, size_t size) = 0;
    };
    bool writeTo(Output& output, std::string* error) const;

private:
    struct Item
    {
        std::string name;
        std::vector<uint8_t> data;
        std::string path; // read from here when not empty
        uint64_t size = 0;
        bool onePiece = false;
    };
    class Session;

    Wpk2Key key_;
    Wpk2Iv iv_{};
    bool ivReady_ = false;
    bool compress_ = true;
    unsigned threads_ = 0;
    std::vector<Item> items_;
};

} // namespace Kavro
