#pragma once

#include "render/GL.h"

#include <kavro/ITexture.h>
#include <kavro/RefCounted.h>

#include <string>
#include <vector>

namespace Kavro
{

class CRenderDevice;
class IMovie;

// A GL texture of the render device: a loaded image, a CPU-lockable texture or a render target.
// Row 0 of the GL texture is the top row of the image.
class CTexture : public RefCounted<ITexture>
{
public:
    enum Kind
    {
        Loaded = 0,
        Lockable = 1,
        RenderTarget = 2
    };

    // holdsDevice: whether the texture keeps the device alive (the device's own textures do not).
    CTexture(CRenderDevice* device, bool holdsDevice, Kind kind, int width, int height, std::string name);
    ~CTexture() override;

    int isContentsLost() override { return lost_; }
    const char* getFileName() override { return name_.empty() ? nullptr : name_.c_str(); }
    IntPair& getImageSize(IntPair& out) override;
    const int32_t* getSize() override { return size_; }
    Vector2D getTexelScale() override;
    int getFormat() override { return 1; }
    int getKind() override { return kind_; }
    int getMipLevels() override { return 1; }
    int lock(int level, const Rect2DI* rect) override;
    int unlock() override;
    int getPitch() override { return size_[0] * 4; }
    void* getData() override { return locked_ ? lockBuffer_.data() : nullptr; }
    void setFilter(int minFilter, int magFilter) override;
    int isRenderTarget(int level) override { return kind_ == RenderTarget && level == 0 ? 1 : 0; }
    int readPixels(void* out) override;
    int copyFrom(ITexture* source) override;
    int getMemorySize() override { return size_[0] * size_[1] * 4; }
    int saveToFile(const char* path) override;
    void setContentsLost(int lost) override { lost_ = lost; }
    void setPremultiplied(int flag) override { premultiplied_ = flag != 0; }
    int isPremultiplied() override { return premultiplied_ ? 1 : 0; }

    // New storage of that size, contents undefined; the GL names (and so a framebuffer made on it) stay.
    // False when the driver refuses it: the texture then keeps its old size, its contents undefined.
    bool reallocate(int width, int height);
    // Replaces every pixel (0xAARRGGBB, rows top down, width x height of them).
    bool upload(const uint32_t* pixels);
    GLuint glTexture() const { return texture_; }
    // False when the driver refused the texture's storage.
    bool valid() const { return texture_ != 0; }
    // setFilter's choice for the quad renderer: bit 0 linear minification, bit 1 linear magnification.
    int filterBits() const { return filterBits_; }
    // The framebuffer that draws into this texture, made on first use; 0 when it cannot be made.
    GLuint framebuffer();
    CRenderDevice* device() const { return device_; }
    // The movie whose frames this texture shows (IMovie::setTexture), not counted: the movie clears it
    // before it lets the texture go. Scene sprites ask it for the frame due before they are drawn.
    void setFrameSource(IMovie* movie) { frameSource_ = movie; }
    IMovie* frameSource() const { return frameSource_; }

private:
    CRenderDevice* device_;
    bool holdsDevice_;
    Kind kind_;
    int32_t size_[2];
    std::string name_;
    GLuint texture_ = 0;
    GLuint framebuffer_ = 0;
    int lost_ = 0;
    int filterBits_ = 0;
    bool locked_ = false;
    bool premultiplied_ = false;
    std::vector<uint32_t> lockBuffer_;
    IMovie* frameSource_ = nullptr;
};

} // namespace Kavro
