// Files made to exhaust the engine: each case runs in a child process of its own and prints its wall time
// and the child's peak resident memory (the child's start-up, about a few MB, included). Goal: every case
// under 64 MB and 1 s.
//
//   bench_hostile_files [case...]      (default: all; fixture files are cached in $TMPDIR/orvane-bombs)
//
// Cases: jpeg, png, onepiece, index, sound, font, release.

#include "core/CApp.h"
#include "core/CTask.h"
#include "fs/ArchiveFileSystem.h"
#include "render/ImageCodec.h"
#include "sound/CSoundDevice.h"
#include "sprite/CSprite.h"
#include "support/HostileFiles.h"

#include "../tests/kavro/fs/Wpk2TestArchives.h"

#include <kavro/IGlyphRasterizer.h>
#include <kavro/Wpk2Archive.h>
#include <kavro/Wpk2EntryReader.h>

#include <sndfile.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{

fs::path CacheDir()
{
    const fs::path dir = fs::temp_directory_path() / "orvane-bombs";
    fs::create_directories(dir);
    return dir;
}

// A fixture file, made once and kept for later runs.
fs::path Cached(const std::string& name, const std::function<std::vector<uint8_t>()>& make)
{
    const fs::path path = CacheDir() / name;
    if (!fs::exists(path))
    {
        const std::vector<uint8_t> bytes = make();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
    }
    return path;
}

std::vector<uint8_t> ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string Decode(const std::vector<uint8_t>& bytes)
{
    Kavro::DecodedImage image;
    std::string error;
    const bool ok = Kavro::DecodeImage(bytes.data(), bytes.size(), image, error);
    return ok ? "decoded " + std::to_string(image.width) + "x" + std::to_string(image.height) : "refused: " + error;
}

std::string Jpeg()
{
    std::vector<uint8_t> bytes = OrvaneTest::JpegOfOneColour(16, 16);
    OrvaneTest::DeclareJpegSize(bytes, 16384, 16384);
    return std::to_string(bytes.size()) + "-byte JPEG declaring 16384x16384: " + Decode(bytes);
}

std::string Png()
{
    const std::vector<uint32_t> pixels(256, 0xFF102030u);
    std::vector<uint8_t> bytes = Kavro::EncodePng(16, 16, pixels.data());
    OrvaneTest::DeclarePngSize(bytes, 16384, 16384);
    return std::to_string(bytes.size()) + "-byte PNG declaring 16384x16384: " + Decode(bytes);
}

std::string OnePiece()
{
    OrvaneTest::RawArchive claim;
    claim.tail = 2 << 20;
    Kavro::Wpk2BlockRecord record;
    record.offset = 32 + 80;
    record.storedLength = 2 << 20;
    record.packedLength = (2 << 20) - 16;
    record.decodedLength = 1u << 30;
    claim.entries.push_back({1, "claim.bin", 1u << 30, {record}});
    Kavro::Wpk2File file;
    file.openMemory(claim.build());
    Kavro::Wpk2Archive archive;
    if (archive.load(file, Kavro::BuildArchiveKey()) != Kavro::Wpk2::Ok)
        return "archive refused";
    Kavro::Wpk2EntryReader reader(archive, archive.entries()[0], file);
    uint8_t four[4];
    uint64_t copied = 0;
    const int code = reader.read(four, 4, &copied);
    return "4-byte read of a one-piece entry claiming 1 GiB over 2 MiB: code " + std::to_string(code);
}

std::string Index()
{
    const fs::path path = CacheDir() / "sparse.wpk";
    if (!fs::exists(path))
    {
        OrvaneTest::RawArchive head;
        head.entries.push_back({0, "a.txt", 5, {}});
        head.entries[0].blocks.push_back({32, 16, 5, 5});
        std::vector<uint8_t> bytes = head.build();
        for (int b = 0; b < 4; ++b)
        {
            bytes[24 + b] = b == 2 ? 0x10 : 0x00;
            bytes[28 + b] = 0xF0;
        }
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
        fs::resize_file(path, uint64_t(1) << 32);
    }
    Kavro::Wpk2File file;
    if (!file.open(path.string()))
        return "cannot open";
    Kavro::Wpk2Archive archive;
    const int code = archive.load(file, Kavro::BuildArchiveKey());
    return "mount of a sparse 4 GiB file claiming it all as index: code " + std::to_string(code) + ", " +
           std::to_string(file.bytesRequested()) + " bytes read";
}

// An hour of silence at 44.1 kHz, mono Ogg Vorbis (made once, before any case is measured: the encoding
// takes a while).
fs::path HourOfSilence()
{
    return Cached("hour.ogg", [] {
        return OrvaneTest::SilentSound(SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 1, int64_t(44100) * 3600);
    });
}

std::string Sound()
{
    const fs::path path = HourOfSilence();
    Kavro::IFileSystem* files = Kavro::CreateArchiveFileSystem();
    auto* device = new Kavro::CSoundDevice(files, Kavro::CSoundDevice::Output::Offline);
    const uint32_t handle = uint32_t(device->requestHandle(0, 0));
    const int code = device->open(path.c_str(), 0, handle, 1, 1);
    const std::string said = std::to_string(fs::file_size(path) / 1024) + " KB Ogg of an hour of silence opened " +
                             "in memory mode: code " + std::to_string(code) + ", duration " +
                             std::to_string(device->getDuration(handle)) + " ms" +
                             (device->isStreamed(handle) ? ", streamed" : ", decoded whole");
    device->release();
    files->release();
    return said;
}

std::string Font()
{
    Kavro::IGlyphRasterizer* rasterizer = Kavro::GetGlyphRasterizer();
    Kavro::IFontFace* face = rasterizer->createFace(4096, 400, 0, 128, "IPAexGothic");
    const Kavro::FontTextMetrics m = face->getTextMetrics();
    Kavro::GlyphMetrics glyph;
    const int size = face->getGlyphBitmap(0x3042, 2, glyph, 0, nullptr);
    std::vector<uint8_t> bitmap(size_t(std::max(size, 0)));
    face->getGlyphBitmap(0x3042, 2, glyph, uint32_t(bitmap.size()), bitmap.data());
    // The engine's glyph cache makes one texture row of cells this high, at least this wide.
    const int64_t cellBytes = int64_t(m.maxCharWidth * 135 / 100 + 16) * (m.height + 16) * 4;
    face->release();
    rasterizer->release();
    return "face asked at 4096 px: height " + std::to_string(m.height) + ", one glyph bitmap " +
           std::to_string(size) + " bytes, the engine's cell texture " + std::to_string(cellBytes >> 20) + " MB";
}

class BenchTask : public Orvane::CTask
{
public:
    BenchTask() : CTask("BENCH") {}
    int update() override { return 0; }
    int render() override { return 0; }
};

std::string Release(bool reverse)
{
    constexpr int Count = 40000;
    auto* app = new Orvane::CApp("bench");
    Orvane::CApp::set(app);
    auto* task = new BenchTask;
    app->taskStack.push_back(task);
    std::vector<Orvane::CSprite*> sprites;
    const int32_t rect[4] = {0, 0, 16, 16};
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < Count; ++i)
        sprites.push_back(new Orvane::CSprite(nullptr, {float(i % 100), float(i / 100)}, rect));
    if (reverse)
        std::reverse(sprites.begin(), sprites.end());
    const auto created = std::chrono::steady_clock::now();
    for (Orvane::CSprite* sprite : sprites)
        sprite->release();
    const auto released = std::chrono::steady_clock::now();
    app->taskStack.clear();
    task->release();
    Orvane::CApp::set(nullptr);
    app->release();
    const auto ms = [](auto d) { return std::to_string(int(std::chrono::duration<double, std::milli>(d).count())); };
    return std::to_string(Count) + " sprites created (" + ms(created - start) + " ms) and released" +
           (reverse ? " newest first (" : " oldest first (") + ms(released - created) + " ms)";
}

// Runs one case in a child; prints its time and the child's peak memory.
void RunCase(const std::string& name, const std::function<std::string()>& run)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return;
    const pid_t child = ::fork();
    if (child == 0)
    {
        ::close(pipeFds[0]);
        const auto start = std::chrono::steady_clock::now();
        const std::string said = run();
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        char line[512];
        const int n = std::snprintf(line, sizeof line, "%9.1f ms  %s", ms, said.c_str());
        (void)!::write(pipeFds[1], line, size_t(std::min<int>(n, sizeof line - 1)));
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string out;
    char buffer[512];
    for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        out.append(buffer, size_t(got));
    ::close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    if (out.empty())
        out = "died (status " + std::to_string(status) + ")";
    std::printf("%-9s %7ld MB peak %s\n", name.c_str(), usage.ru_maxrss / 1024, out.c_str());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::pair<std::string, std::function<std::string()>>> cases = {
        {"jpeg", Jpeg},
        {"png", Png},
        {"onepiece", OnePiece},
        {"index", Index},
        {"sound", Sound},
        {"font", Font},
        {"release", [] { return Release(false); }},
        {"release", [] { return Release(true); }},
    };
    HourOfSilence();
    std::printf("case      peak memory   time and result\n");
    for (const auto& [name, run] : cases)
    {
        const bool asked = argc < 2 || std::any_of(argv + 1, argv + argc, [&](const char* a) { return name == a; });
        if (asked)
            RunCase(name, run);
    }
    return 0;
}
