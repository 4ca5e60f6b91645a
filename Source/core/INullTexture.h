#pragma once

#include <kavro/ITexture.h>

namespace Orvane
{

// A texture that is never there: size 0 x 0, nothing to lock.
class INullTexture : public Kavro::ITexture
{
public:
    int release() override;
    int addRef() override;
    int getRefCount() override;
    int isContentsLost() override;
    const char* getFileName() override;
    Kavro::IntPair& getImageSize(Kavro::IntPair& out) override;
    const int32_t* getSize() override;
    Kavro::Vector2D getTexelScale() override;
    int getFormat() override;
    int getKind() override;
    int getMipLevels() override;
    int lock(int level, const Kavro::Rect2DI* rect) override;
    int unlock() override;
    int getPitch() override;
    void* getData() override;
    void setFilter(int minFilter, int magFilter) override;
    int isRenderTarget(int level) override;
    int readPixels(void* out) override;
    int copyFrom(Kavro::ITexture* source) override;
    int getMemorySize() override;
    int saveToFile(const char* path) override;
    void setContentsLost(int lost) override;
    void setPremultiplied(int) override {}
    int isPremultiplied() override { return 0; }

private:
    int32_t size_[2] = {0, 0};
};

} // namespace Orvane
