#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace Kavro
{

// Layout of a "WPK2" archive (little-endian, no alignment):
//   0  "WPK2"          4  u32 version 2      8  16-byte cipher vector
//   24 u32 entry count 28 u32 index length   32 the index, AES-256-CBC
// then the data blocks at the offsets their records give. Every decryption (the index, each block)
// starts its chain again at the header's vector; only whole 16-byte blocks are encrypted.
namespace Wpk2
{
constexpr uint8_t Magic[4] = {'W', 'P', 'K', '2'};
constexpr uint32_t Version = 2;
constexpr size_t HeaderSize = 28;          // magic, version, vector, entry count
constexpr size_t IndexOffset = 32;         // after the u32 index length
constexpr uint32_t BlockSize = 65536;      // decoded bytes of every block but an entry's last
constexpr uint32_t MaxStoredBlock = 65552; // 64 KiB plus one cipher block
constexpr uint32_t MaxNameLength = 260;
constexpr size_t CipherBlock = 16;
constexpr size_t BlockRecordSize = 20;
// flag, name length, size, digest, block count: the bytes of an entry with an empty name and no blocks.
constexpr size_t MinEntrySize = 1 + 2 + 4 + 32 + 4;
// DEFLATE cannot expand a stream more than this (258-byte matches coded in under two bits).
constexpr uint64_t MaxInflateRatio = 1032;

// Result codes shared by the readers: 0 success, positive failure.
enum Result : int
{
    Ok = 0,
    OpenFailed = 1,
    AlreadyMounted = 2,
    BadFormat = 3,
    NotFound = 4,
    NotRunning = 5,
    BadArgument = 6,
    OutOfRange = 7,
    ReadFailed = 8,
    InflateFailed = 10,
    DestinationTooSmall = 13,
};
} // namespace Wpk2

using Wpk2Key = std::array<uint8_t, 32>;
using Wpk2Iv = std::array<uint8_t, 16>;
using Wpk2Digest = std::array<uint8_t, 32>;

struct Wpk2BlockRecord
{
    uint64_t offset = 0;        // of the stored bytes, from the start of the file
    uint32_t storedLength = 0;  // encrypted bytes on disk
    uint32_t packedLength = 0;  // DEFLATE bytes inside the decrypted ones
    uint32_t decodedLength = 0; // bytes after decoding

    // Packed no shorter than decoded means the bytes are stored as they are.
    bool isCompressed() const { return packedLength < decodedLength; }
};

struct Wpk2Entry
{
    std::string name; // as stored, up to its first zero byte
    bool onePiece = false;
    uint32_t size = 0;
    Wpk2Digest digest{}; // carried along, not checked
    std::vector<Wpk2BlockRecord> blocks;
};

struct Wpk2Header
{
    uint8_t bytes[Wpk2::HeaderSize] = {}; // as read
    uint32_t version = 0;
    Wpk2Iv iv{};
    uint32_t entryCount = 0;
    uint32_t indexLength = 0;
};

} // namespace Kavro
