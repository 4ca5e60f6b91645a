#include "render/ImageCodec.h"

#include "kavro/SafeFileWriter.h"

#include <png.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <csetjmp>
#include <filesystem>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>
#include <jerror.h>

namespace Kavro
{

namespace
{

bool isPng(const uint8_t* data, size_t size)
{
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return size >= 8 && std::memcmp(data, signature, 8) == 0;
}

bool isJpeg(const uint8_t* data, size_t size)
{
    return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

bool sizeAllowed(uint32_t width, uint32_t height, int maxSide)
{
    const uint32_t side = uint32_t(std::clamp(maxSide, 1, MaxImageSide));
    return width > 0 && height > 0 && width <= side && height <= side &&
           int64_t(width) * int64_t(height) <= MaxImagePixels;
}

// DEFLATE expands at most 1032 times, so the file must be large enough to hold the rows it declares.
bool pngDataCanHold(size_t size, uint32_t width, uint32_t height)
{
    const uint64_t smallestRows = uint64_t(height) * ((uint64_t(width) + 7) / 8 + 1);
    return smallestRows <= uint64_t(size) * 1032 + 1024;
}

bool decodePng(const uint8_t* data, size_t size, DecodedImage& out, std::string& error, int maxSide)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size))
    {
        error = std::string("PNG: ") + image.message;
        return false;
    }
    if (!sizeAllowed(image.width, image.height, maxSide) || !pngDataCanHold(size, image.width, image.height))
    {
        png_image_free(&image);
        error = "PNG: image size out of range";
        return false;
    }
    // Little-endian 0xAARRGGBB is B, G, R, A in memory.
    image.format = PNG_FORMAT_BGRA;
    out.width = int(image.width);
    out.height = int(image.height);
    out.pixels.assign(size_t(out.width) * size_t(out.height), 0);
    if (!png_image_finish_read(&image, nullptr, out.pixels.data(), out.width * 4, nullptr))
    {
        error = std::string("PNG: ") + image.message;
        png_image_free(&image);
        return false;
    }
    return true;
}

struct JpegError
{
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void jpegErrorExit(j_common_ptr info)
{
    auto* err = reinterpret_cast<JpegError*>(info->err);
    info->err->format_message(info, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings are ignored except data ending early (the file's end, or its end marker inside the image data):
// the library would go on inventing grey rows for the whole declared height, which is how a few hundred
// bytes claim a huge image.
void jpegWarning(j_common_ptr info, int level)
{
    const int code = info->err->msg_code;
    if (level < 0 && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER))
        info->err->error_exit(info);
}

// Only plain C objects live between setjmp and longjmp here (the caller's vector is only resized). Rows are
// added as they decode, so memory follows the data that is really there.
bool decodeJpegInto(jpeg_decompress_struct& info, JpegError& err, const uint8_t* data, size_t size,
                    DecodedImage& out, int maxSide)
{
    if (setjmp(err.jump))
        return false;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    if (!sizeAllowed(info.image_width, info.image_height, maxSide))
    {
        std::snprintf(err.message, sizeof err.message, "image size out of range");
        return false;
    }
    info.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&info);
    out.width = int(info.output_width);
    out.height = int(info.output_height);
    out.pixels.reserve(size_t(out.width) * size_t(out.height));
    while (info.output_scanline < info.output_height)
    {
        const size_t at = size_t(info.output_scanline) * size_t(out.width);
        out.pixels.resize(at + size_t(out.width));
        JSAMPROW row = reinterpret_cast<JSAMPROW>(out.pixels.data() + at);
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

bool decodeJpeg(const uint8_t* data, size_t size, DecodedImage& out, std::string& error, int maxSide)
{
    jpeg_decompress_struct info;
    JpegError err;
    std::memset(&info, 0, sizeof info);
    std::memset(err.message, 0, sizeof err.message);
    info.err = jpeg_std_error(&err.manager);
    err.manager.error_exit = jpegErrorExit;
    err.manager.emit_message = jpegWarning;
    const bool ok = decodeJpegInto(info, err, data, size, out, maxSide);
    jpeg_destroy_decompress(&info);
    if (!ok)
    {
        error = std::string("JPEG: ") + err.message;
        out = DecodedImage();
    }
    return ok;
}

} // namespace

bool DecodeImage(const uint8_t* data, size_t size, DecodedImage& out, std::string& error, int maxSide)
{
    if (!data)
    {
        error = "no data";
        return false;
    }
    if (isPng(data, size))
        return decodePng(data, size, out, error, maxSide);
    if (isJpeg(data, size))
        return decodeJpeg(data, size, out, error, maxSide);
    error = "not a PNG or JPEG file";
    return false;
}

std::vector<uint8_t> EncodePng(int width, int height, const uint32_t* pixels)
{
    std::vector<uint8_t> png;
    if (width <= 0 || height <= 0 || !pixels)
        return png;
    std::vector<uint8_t> rgba(size_t(width) * size_t(height) * 4);
    for (size_t i = 0; i < size_t(width) * size_t(height); ++i)
    {
        const uint32_t p = pixels[i];
        rgba[i * 4 + 0] = uint8_t(p >> 16);
        rgba[i * 4 + 1] = uint8_t(p >> 8);
        rgba[i * 4 + 2] = uint8_t(p);
        rgba[i * 4 + 3] = uint8_t(p >> 24);
    }
    const auto append = [](void* context, void* data, int size) {
        auto* bytes = static_cast<const uint8_t*>(data);
        static_cast<std::vector<uint8_t>*>(context)->insert(static_cast<std::vector<uint8_t>*>(context)->end(), bytes,
                                                            bytes + size);
    };
    if (!stbi_write_png_to_func(append, &png, width, height, 4, rgba.data(), width * 4))
        png.clear();
    return png;
}

bool WritePng(const std::string& path, int width, int height, const uint32_t* pixels)
{
    const std::vector<uint8_t> png = EncodePng(width, height, pixels);
    return !png.empty() && WriteFileReplacing(path, png.data(), png.size()) == 0;
}

} // namespace Kavro
