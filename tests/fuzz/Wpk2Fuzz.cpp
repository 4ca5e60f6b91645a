// Feeds archives to the index parser and the block reader. The input is the archive with its index in
// plain text: everything after the 32-byte header is encrypted as one chain before loading, so the index
// decrypts to the bytes the fuzzer wrote and a block (which restarts the chain) to them but its first 16.
#include <kavro/ArchiveKey.h>
#include <kavro/Wpk2Archive.h>
#include <kavro/Wpk2Cipher.h>
#include <kavro/Wpk2EntryReader.h>

#include <cstring>
#include <vector>

using namespace Kavro;

namespace
{

void ReadEntry(const Wpk2Archive& archive, const Wpk2File& file, const Wpk2Entry& entry)
{
    Wpk2EntryReader reader(archive, entry, file);
    std::vector<uint8_t> piece(4099);
    uint64_t copied = 0;
    for (int i = 0; i < 64; ++i)
    {
        if (reader.read(piece.data(), piece.size(), &copied) != Wpk2::Ok || copied == 0)
            break;
    }
    reader.seek(int64_t(entry.size / 2), Wpk2EntryReader::FromStart);
    reader.read(piece.data(), piece.size(), &copied);
    reader.seek(1, Wpk2EntryReader::BackFromEnd);
    reader.read(piece.data(), piece.size(), &copied);

    std::vector<uint8_t> block(Wpk2::BlockSize);
    uint32_t length = 0;
    for (size_t b = 0; b < entry.blocks.size() && b < 8; ++b)
        archive.readBlock(file, entry, int64_t(b), block.data(), &length);
    if (entry.size <= (1u << 24))
    {
        std::vector<uint8_t> whole(entry.size);
        archive.readWhole(file, entry, whole.data(), whole.size());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const Wpk2Key key = BuildArchiveKey();
    std::vector<uint8_t> bytes(data, data + size);
    if (bytes.size() > Wpk2::IndexOffset)
    {
        Wpk2Iv iv;
        std::memcpy(iv.data(), bytes.data() + 8, iv.size());
        Wpk2Cipher(key, iv).encrypt(bytes.data() + Wpk2::IndexOffset, bytes.size() - Wpk2::IndexOffset);
    }
    Wpk2File file;
    file.openMemory(std::move(bytes));
    Wpk2Archive archive;
    if (archive.load(file, key) != Wpk2::Ok)
        return 0;
    for (const Wpk2Entry& entry : archive.entries())
    {
        if (archive.find(entry.name) == nullptr)
            __builtin_trap(); // every loaded entry must be found by its own name
        ReadEntry(archive, file, entry);
    }
    return 0;
}
