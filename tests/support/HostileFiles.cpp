#include "support/HostileFiles.h"

#include <sndfile.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace OrvaneTest
{

std::vector<uint8_t> JpegOfOneColour(int width, int height)
{
    jpeg_compress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(size_t(width) * 3, 0);
    for (size_t i = 0; i < row.size(); i += 3)
        row[i] = 200, row[i + 1] = 80, row[i + 2] = 40;
    while (info.next_scanline < info.image_height)
    {
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&info, &p, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return out;
}

void DeclareJpegSize(std::vector<uint8_t>& jpeg, uint16_t width, uint16_t height)
{
    // Start of frame (0xFFC0..0xFFC2): length, precision, then height and width, big-endian.
    for (size_t i = 2; i + 9 < jpeg.size(); ++i)
    {
        if (jpeg[i] == 0xFF && jpeg[i + 1] >= 0xC0 && jpeg[i + 1] <= 0xC2)
        {
            jpeg[i + 5] = uint8_t(height >> 8);
            jpeg[i + 6] = uint8_t(height);
            jpeg[i + 7] = uint8_t(width >> 8);
            jpeg[i + 8] = uint8_t(width);
            return;
        }
    }
    throw std::runtime_error("no frame header");
}

void DeclarePngSize(std::vector<uint8_t>& png, uint32_t width, uint32_t height)
{
    // Signature (8), chunk length (4), "IHDR" at 12, width at 16, height at 20, 13 data bytes, checksum at 29.
    if (png.size() < 33 || std::memcmp(png.data() + 12, "IHDR", 4) != 0)
        throw std::runtime_error("not a PNG");
    for (int b = 0; b < 4; ++b)
    {
        png[16 + b] = uint8_t(width >> (24 - 8 * b));
        png[20 + b] = uint8_t(height >> (24 - 8 * b));
    }
    const uint32_t crc = uint32_t(crc32(0, png.data() + 12, 17));
    for (int b = 0; b < 4; ++b)
        png[29 + b] = uint8_t(crc >> (24 - 8 * b));
}

namespace
{

struct MemoryFile
{
    std::vector<uint8_t> bytes;
    sf_count_t position = 0;
};

MemoryFile& Of(void* self)
{
    return *static_cast<MemoryFile*>(self);
}

} // namespace

std::vector<uint8_t> SilentSound(int format, int rate, int channels, int64_t frames)
{
    SF_VIRTUAL_IO io{};
    io.get_filelen = [](void* self) -> sf_count_t { return sf_count_t(Of(self).bytes.size()); };
    io.seek = [](sf_count_t offset, int whence, void* self) -> sf_count_t {
        MemoryFile& f = Of(self);
        const sf_count_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? f.position : sf_count_t(f.bytes.size());
        f.position = std::max<sf_count_t>(0, base + offset);
        return f.position;
    };
    io.read = [](void* out, sf_count_t count, void* self) -> sf_count_t {
        MemoryFile& f = Of(self);
        const sf_count_t n = std::clamp<sf_count_t>(sf_count_t(f.bytes.size()) - f.position, 0, count);
        std::memcpy(out, f.bytes.data() + f.position, size_t(n));
        f.position += n;
        return n;
    };
    io.write = [](const void* in, sf_count_t count, void* self) -> sf_count_t {
        MemoryFile& f = Of(self);
        if (size_t(f.position + count) > f.bytes.size())
            f.bytes.resize(size_t(f.position + count));
        std::memcpy(f.bytes.data() + f.position, in, size_t(count));
        f.position += count;
        return count;
    };
    io.tell = [](void* self) -> sf_count_t { return Of(self).position; };
    MemoryFile file;
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* sound = sf_open_virtual(&io, SFM_WRITE, &info, &file);
    if (!sound)
        throw std::runtime_error(sf_strerror(nullptr));
    const std::vector<float> silence(size_t(65536) * size_t(channels), 0.0f);
    for (int64_t done = 0; done < frames;)
    {
        const sf_count_t n = sf_count_t(std::min<int64_t>(65536, frames - done));
        sf_writef_float(sound, silence.data(), n);
        done += n;
    }
    sf_close(sound);
    return file.bytes;
}

} // namespace OrvaneTest
