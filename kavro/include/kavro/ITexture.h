#pragma once

#include "IInterface.h"
#include "Vector2D.h"

namespace Kavro
{

struct Rect2DI
{
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// A texture or render surface of the render device. Pixels are 32-bit, alpha in the top byte.
class ITexture : public IInterface
{
public:
    // 1 when the contents were lost and must be made again.
    virtual int isContentsLost() = 0;
    // The file (or "suf://" name) it came from; null when it has none.
    virtual const char* getFileName() = 0;
    // Size of the image that was loaded, before any padding.
    virtual IntPair& getImageSize(IntPair& out) = 0;
    // Width and height, two 32-bit integers.
    virtual const int32_t* getSize() = 0;
    // Multiplier from texels to texture coordinates: (1 / width, 1 / height).
    virtual Vector2D getTexelScale() = 0;
    // Pixel format: 1 = 32-bit, alpha in byte 3 (the only format there is).
    virtual int getFormat() = 0;
    // Kind: 0 loaded image, 1 CPU-lockable, 2 render target, 3 none.
    virtual int getKind() = 0;
    virtual int getMipLevels() = 0;
    // Makes the pixels reachable through getData/getPitch; 0 on success, -1 on failure.
    virtual int lock(int level, const Rect2DI* rect) = 0;
    virtual int unlock() = 0;
    virtual int getPitch() = 0;
    virtual void* getData() = 0;
    // Texture filtering for minification and magnification: 0 nearest, 1 linear.
    virtual void setFilter(int minFilter, int magFilter) = 0;
    // 1 when this texture can be drawn into.
    virtual int isRenderTarget(int level) = 0;
    // Copies this texture's pixels into out (width x height 32-bit pixels 0xAARRGGBB, rows top down);
    // 1 on success, 0 on failure.
    virtual int readPixels(void* out) = 0;
    // Copies the pixels of another texture of the same size; 1 on success, 0 on failure.
    virtual int copyFrom(ITexture* source) = 0;
    // Size in bytes of the pixels in video memory.
    virtual int getMemorySize() = 0;
    // Saves the pixels as a PNG file; 1 on success, 0 on failure.
    virtual int saveToFile(const char* path) = 0;
    virtual void setContentsLost(int lost) = 0;
    // 1: the colour is premultiplied by alpha, as quads drawn over transparent black leave it in a render
    // target; drawing the texture then shows what drawing those quads directly would. 0 at first.
    virtual void setPremultiplied(int flag) = 0;
    virtual int isPremultiplied() = 0;
};

} // namespace Kavro
