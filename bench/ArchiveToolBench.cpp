// Pack and extract throughput of orvane-wpk over a 64 MiB folder of mixed files, and the archive writer on
// one thread against every core (same vector, so the two archives must be byte-identical).
#include "ArchiveTool.h"

#include <kavro/ArchiveKey.h>
#include <kavro/Wpk2Writer.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

constexpr size_t MiB = 1 << 20;

std::vector<uint8_t> Text(size_t size, std::mt19937& random)
{
    static const char* const words[] = {"orvane ", "engine ", "script ", "sprite ", "[Init]\n", "= 1280\n", "text "};
    std::vector<uint8_t> bytes;
    while (bytes.size() < size)
        for (const char* c = words[random() % 7]; *c; ++c)
            bytes.push_back(uint8_t(*c));
    bytes.resize(size);
    return bytes;
}

std::vector<uint8_t> Noise(size_t size, std::mt19937& random)
{
    std::vector<uint8_t> bytes(size);
    for (auto& b : bytes)
        b = uint8_t(random());
    return bytes;
}

void Write(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// 24 MiB of text in 2 MiB files, 16 MiB of noise (already compressed media) in 4 MiB files, and 24 MiB of
// small files of 4..64 KiB, half text, half noise: 64 MiB in all.
uint64_t MakeFolder(const fs::path& folder)
{
    std::mt19937 random(2026);
    uint64_t total = 0;
    for (int i = 0; i < 12; ++i, total += 2 * MiB)
        Write(folder / "text" / ("scene" + std::to_string(i) + ".nut"), Text(2 * MiB, random));
    for (int i = 0; i < 4; ++i, total += 4 * MiB)
        Write(folder / "media" / ("clip" + std::to_string(i) + ".ogg"), Noise(4 * MiB, random));
    for (int i = 0; total < 64 * MiB; ++i)
    {
        const size_t size = std::min<size_t>(4096 + random() % (60 * 1024), 64 * MiB - total);
        Write(folder / "small" / (std::to_string(i) + ".bin"), i % 2 ? Noise(size, random) : Text(size, random));
        total += size;
    }
    return total;
}

double Seconds(const std::function<void()>& run)
{
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::vector<uint8_t> Read(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The writer over the folder's files as orvane-wpk adds them, with a fixed vector and a thread count.
double PackWithWriter(const fs::path& folder, const fs::path& archive, unsigned threads)
{
    Kavro::Wpk2Writer writer(Kavro::BuildArchiveKey());
    writer.setIv({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    writer.setThreads(threads);
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files)
        writer.addFile(fs::relative(file, folder).generic_string(), file.string(), fs::file_size(file));
    return Seconds([&] { writer.writeFile(archive.string(), nullptr); });
}

} // namespace

int main()
{
    const fs::path dir = fs::temp_directory_path() / ("orvane-bench-tool-" + std::to_string(::getpid()));
    const fs::path folder = dir / "in";
    const double mb = double(MakeFolder(folder)) / 1e6;
    std::ostringstream out, err;
    const auto tool = [&](std::vector<std::string> args) {
        if (ArchiveTool(out, err).run(std::move(args)) != 0)
            std::fprintf(stderr, "%s", err.str().c_str());
    };
    const double pack = Seconds([&] { tool({"pack", (dir / "a.wpk").string(), folder.string()}); });
    const double extract = Seconds([&] { tool({"extract", (dir / "a.wpk").string(), (dir / "out").string()}); });
    const double one = PackWithWriter(folder, dir / "one.wpk", 1);
    const double all = PackWithWriter(folder, dir / "all.wpk", 0);
    const bool same = Read(dir / "one.wpk") == Read(dir / "all.wpk");

    std::printf("folder: %.1f MB mixed (text, noise, small files); archive %.1f MB; %u cores\n", mb,
                double(fs::file_size(dir / "a.wpk")) / 1e6, std::thread::hardware_concurrency());
    std::printf("orvane-wpk pack:     %7.1f MB/s\n", mb / pack);
    std::printf("orvane-wpk extract:  %7.1f MB/s\n", mb / extract);
    std::printf("writer, 1 thread:    %7.1f MB/s\n", mb / one);
    std::printf("writer, all cores:   %7.1f MB/s  (%.2fx one thread; archives %s)\n", mb / all, one / all,
                same ? "byte-identical" : "DIFFER");
    fs::remove_all(dir);
    return same ? 0 : 1;
}
