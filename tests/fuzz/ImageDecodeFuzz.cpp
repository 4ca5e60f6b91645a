// Image files as the render device's loader takes them: PNG or JPEG by signature, under a device limit
// taken from the first byte. A decoded image has exactly the pixels it declares, within the limits.
#include "render/ImageCodec.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const int maxSide = data[0] < 128 ? Kavro::MaxImageSide : 1 + data[0] * 8;
    Kavro::DecodedImage image;
    std::string error;
    if (!Kavro::DecodeImage(data + 1, size - 1, image, error, maxSide))
        return 0;
    if (image.width <= 0 || image.height <= 0 || image.width > maxSide || image.height > maxSide ||
        int64_t(image.width) * image.height > Kavro::MaxImagePixels ||
        image.pixels.size() != size_t(image.width) * size_t(image.height))
        __builtin_trap();
    return 0;
}
