#pragma once

#include <cstdint>
#include <vector>

namespace Kavro
{

// One decoded video frame: a luma plane and two chroma planes (full or subsampled), rows top down, and
// the rectangle of the luma plane that holds the picture.
struct YuvPlane
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bytes; // width x height, no padding
};

struct YuvFrame
{
    YuvPlane planes[3];
    int pictureX = 0;
    int pictureY = 0;
    int pictureWidth = 0;
    int pictureHeight = 0;
};

} // namespace Kavro
