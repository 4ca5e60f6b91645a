#include "core/INullTexture.h"

namespace Orvane
{

int INullTexture::release() { return 0; }
int INullTexture::addRef() { return 0; }
int INullTexture::getRefCount() { return 0; }
int INullTexture::isContentsLost() { return 0; }
const char* INullTexture::getFileName() { return nullptr; }

Kavro::IntPair& INullTexture::getImageSize(Kavro::IntPair& out)
{
    out = {0, 0};
    return out;
}

const int32_t* INullTexture::getSize() { return size_; }
Kavro::Vector2D INullTexture::getTexelScale() { return {}; }
int INullTexture::getFormat() { return 1; }
int INullTexture::getKind() { return 3; }
int INullTexture::getMipLevels() { return 0; }
int INullTexture::lock(int, const Kavro::Rect2DI*) { return -1; }
int INullTexture::unlock() { return -1; }
int INullTexture::getPitch() { return 0; }
void* INullTexture::getData() { return nullptr; }
void INullTexture::setFilter(int, int) {}
int INullTexture::isRenderTarget(int) { return 0; }
int INullTexture::readPixels(void*) { return 0; }
int INullTexture::copyFrom(Kavro::ITexture*) { return 0; }
int INullTexture::getMemorySize() { return 0; }
int INullTexture::saveToFile(const char*) { return 0; }
void INullTexture::setContentsLost(int) {}

} // namespace Orvane
