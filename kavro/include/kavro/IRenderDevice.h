#pragma once

#include "ITexture.h"
#include "Vector2D.h"

namespace Kavro
{

class ISceneManager;

class IRenderDevice : public IInterface
{
public:
    // Negative: skip drawing this frame.
    virtual int beginFrame() = 0;
    // Presents the frame.
    virtual int endFrame() = 0;
    // Clears count targets to the ARGB colour.
    virtual int clear(int count, const uint32_t* argb) = 0;
    virtual ISceneManager* getSceneManager() = 0;
    // An image file (PNG or JPEG) through the file system; null on failure.
    virtual ITexture* loadTexture(const char* name, int mipLevels, int flags) = 0;
    // A CPU-lockable texture of 32-bit pixels.
    virtual ITexture* createTexture(int width, int height, int format, int flags) = 0;
    virtual ITexture* createRenderTexture(int width, int height, int format, int reserved, int flag,
                                          int reserved2) = 0;
    // A render texture reachable as a texture by its "suf://" name.
    virtual ITexture* createNamedRenderTexture(const char* name, int width, int height, int format, int flag) = 0;
    virtual int setRenderTarget(int index, ITexture* target, int flags) = 0;
    virtual ITexture* getRenderTarget(int index) = 0;
    virtual int fillTexture(ITexture* texture, const uint32_t* rgba) = 0;
    virtual int drawDebugText(const Vector2D& position, uint32_t colour, int font, const char* text) = 0;
};

} // namespace Kavro
