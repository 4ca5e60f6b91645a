// Sequential read throughput of a 64 MiB archive entry through the library's file system, for entries
// whose blocks are deflated (text-like data) and stored (noise), and the number of block decodes per block.
#include "fs/ArchiveFileSystem.h"

#include <kavro/ArchiveKey.h>
#include <kavro/IFileSystem.h>
#include <kavro/Wpk2Archive.h>
#include <kavro/Wpk2EntryReader.h>
#include <kavro/Wpk2Writer.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

constexpr size_t EntrySize = 64u << 20;
constexpr uint32_t Piece = 16384;

std::vector<uint8_t> TextLike(size_t size)
{
    static const char* const words[] = {"sprite ", "fade(500) ", "text box ", "voice_0123.ogg ", "\n", "= 1280 "};
    std::mt19937 random(1);
    std::vector<uint8_t> bytes;
    bytes.reserve(size + 32);
    while (bytes.size() < size)
        for (const char* c = words[random() % 6]; *c; ++c)
            bytes.push_back(uint8_t(*c));
    bytes.resize(size);
    return bytes;
}

std::vector<uint8_t> Noise(size_t size)
{
    std::mt19937 random(2);
    std::vector<uint8_t> bytes(size);
    for (auto& b : bytes)
        b = uint8_t(random());
    return bytes;
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Best of three sequential passes through an IFileStream, in MB/s (10^6 bytes).
double StreamThroughput(Kavro::IFileSystem& fs, const char* name)
{
    std::vector<uint8_t> buffer(Piece);
    double best = 0;
    for (int pass = 0; pass < 3; ++pass)
    {
        Kavro::IFileStream* stream = fs.open(name, 0, 0, 0);
        if (!stream)
            return 0;
        const auto start = std::chrono::steady_clock::now();
        uint64_t total = 0;
        while (const uint32_t n = stream->read(buffer.data(), Piece))
            total += n;
        const double rate = double(total) / 1e6 / Seconds(start);
        stream->release();
        best = std::max(best, rate);
    }
    return best;
}

// Decodes per block when one reader goes through the entry in pieces.
double DecodesPerBlock(const std::string& path, const char* name)
{
    Kavro::Wpk2File file;
    Kavro::Wpk2Archive archive;
    if (!file.open(path) || archive.load(file, Kavro::BuildArchiveKey()) != 0)
        return -1;
    const Kavro::Wpk2Entry& entry = *archive.find(name);
    Kavro::Wpk2EntryReader reader(archive, entry, file);
    std::vector<uint8_t> buffer(1000);
    uint64_t copied = 0;
    do
        reader.read(buffer.data(), buffer.size(), &copied);
    while (copied > 0);
    return double(archive.blocksDecoded()) / double(entry.blocks.size());
}

} // namespace

int main()
{
    const auto dir = std::filesystem::temp_directory_path() / ("orvane-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "bench.wpk").string();
    {
        Kavro::Wpk2Writer writer(Kavro::BuildArchiveKey());
        writer.add("text.bin", TextLike(EntrySize));
        writer.add("noise.bin", Noise(EntrySize));
        std::string error;
        if (!writer.writeFile(path, &error))
        {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
    }
    std::filesystem::current_path(dir);
    Kavro::IFileSystem* fs = Kavro::CreateArchiveFileSystem();
    uint32_t keyLength = 0;
    if (fs->mount("bench.wpk", nullptr, &keyLength) != 0)
        return 1;
    std::printf("archive: %.1f MiB on disk, two 64 MiB entries, read in %u-byte pieces\n",
                double(std::filesystem::file_size(path)) / (1 << 20), Piece);
    std::printf("deflated blocks (text): %8.1f MB/s  (decodes per block: %.2f)\n", StreamThroughput(*fs, "text.bin"),
                DecodesPerBlock(path, "text.bin"));
    std::printf("stored blocks (noise):  %8.1f MB/s  (decodes per block: %.2f)\n", StreamThroughput(*fs, "noise.bin"),
                DecodesPerBlock(path, "noise.bin"));
    fs->release();
    std::filesystem::remove_all(dir);
    return 0;
}
