// One-piece archive entries: the input is the entry's stored bytes in plain text, after six bytes giving
// the size the index claims and the DEFLATE length (the record is then encrypted into a valid archive).
// Reads in pieces, seeks back and forth, and loading whole must agree with decoding the record in one go,
// and no read may take memory for more than what decodes.
#include <kavro/ArchiveKey.h>
#include <kavro/Wpk2Archive.h>
#include <kavro/Wpk2Cipher.h>
#include <kavro/Wpk2EntryReader.h>

#include <cstring>
#include <vector>

using namespace Kavro;

namespace
{

void Put(std::vector<uint8_t>& out, uint64_t value, int width)
{
    for (int b = 0; b < width; ++b)
        out.push_back(uint8_t(value >> (8 * b)));
}

Wpk2Iv FixedIv()
{
    Wpk2Iv iv{};
    for (size_t i = 0; i < iv.size(); ++i)
        iv[i] = uint8_t(0x30 + i);
    return iv;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const Wpk2Key key = BuildArchiveKey();
    if (size < 6)
        return 0;
    // Sizes up to 16 MiB claimed, so that the whole decode below stays small.
    const uint32_t claimed = uint32_t(data[0] | data[1] << 8 | (data[2] & 0xFF) << 16);
    const uint32_t stored = uint32_t(size - 6);
    const uint32_t packed = std::min<uint32_t>(uint32_t(data[3] | data[4] << 8 | data[5] << 16), stored);
    std::vector<uint8_t> index;
    Put(index, 1, 1);
    Put(index, 1, 2);
    index.push_back('e');
    Put(index, claimed, 4);
    index.insert(index.end(), 32, 0);
    Put(index, stored ? 1 : 0, 4);
    const size_t indexLength = (index.size() + (stored ? 20 : 0) + 15) / 16 * 16;
    if (stored)
    {
        Put(index, 32 + indexLength, 8);
        Put(index, stored, 4);
        Put(index, packed, 4);
        Put(index, claimed, 4);
    }
    index.resize(indexLength, 0);
    const Wpk2Iv iv = FixedIv();
    Wpk2Cipher(key, iv).encrypt(index.data(), index.size());
    std::vector<uint8_t> bytes = {'W', 'P', 'K', '2'};
    Put(bytes, 2, 4);
    bytes.insert(bytes.end(), iv.begin(), iv.end());
    Put(bytes, 1, 4);
    Put(bytes, indexLength, 4);
    bytes.insert(bytes.end(), index.begin(), index.end());
    std::vector<uint8_t> record(data + 6, data + size);
    Wpk2Cipher(key, iv).encrypt(record.data(), record.size());
    bytes.insert(bytes.end(), record.begin(), record.end());

    Wpk2File file;
    file.openMemory(std::move(bytes));
    Wpk2Archive archive;
    if (archive.load(file, key) != Wpk2::Ok)
        return 0;
    const Wpk2Entry& entry = archive.entries()[0];
    std::vector<uint8_t> expected(entry.size);
    const bool decodes = archive.readWhole(file, entry, expected.data(), expected.size()) == Wpk2::Ok;

    Wpk2EntryReader reader(archive, entry, file);
    std::vector<uint8_t> got;
    std::vector<uint8_t> piece(70000);
    uint64_t copied = 0;
    int code = Wpk2::Ok;
    while ((code = reader.read(piece.data(), piece.size(), &copied)) == Wpk2::Ok && copied > 0)
        got.insert(got.end(), piece.begin(), piece.begin() + long(copied));
    // Reading in pieces fails exactly where decoding in one go fails, else gives the same bytes.
    if ((code == Wpk2::Ok) != decodes || (decodes && got != expected))
        __builtin_trap();
    for (uint64_t at : {uint64_t(entry.size / 3), uint64_t(0), uint64_t(entry.size)})
    {
        if (reader.seek(int64_t(at), Wpk2EntryReader::FromStart) != Wpk2::Ok)
            __builtin_trap();
        if (reader.read(piece.data(), 100, &copied) == Wpk2::Ok && decodes &&
            std::memcmp(piece.data(), expected.data() + at, copied) != 0)
            __builtin_trap();
    }
    std::vector<uint8_t> whole;
    if ((reader.takeOnePiece(whole) == Wpk2::Ok) != decodes || (decodes && whole != expected))
        __builtin_trap();
    return 0;
}
