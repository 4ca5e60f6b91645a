#include "support/FakeRender.h"

#include <algorithm>
#include <cstring>

namespace OrvaneTest
{

FakeTexture::FakeTexture(std::string name_, int width, int height, int kind_)
    : name(std::move(name_)), size{width, height}, kind(kind_), pixels(size_t(width) * size_t(height))
{
}

Kavro::IntPair& FakeTexture::getImageSize(Kavro::IntPair& out)
{
    out = {size[0], size[1]};
    return out;
}

int FakeTexture::lock(int, const Kavro::Rect2DI*)
{
    if (locked)
        return -1;
    locked = true;
    return 0;
}

int FakeTexture::unlock()
{
    if (!locked)
        return -1;
    locked = false;
    return 0;
}

int FakeTexture::readPixels(void* out)
{
    std::memcpy(out, pixels.data(), pixels.size() * 4);
    return 1;
}

int FakeTexture::copyFrom(Kavro::ITexture* source)
{
    const int32_t* s = source->getSize();
    if (s[0] != size[0] || s[1] != size[1])
        return 0;
    return source->readPixels(pixels.data());
}

int RecordingSceneManager::setup(uint32_t* out, const uint32_t* startWord)
{
    log_.add("scene.setup", startWord ? *startWord : 0u);
    if (out)
        *out = 0;
    return 0;
}

int RecordingSceneManager::setRenderTarget(Kavro::ITexture* target)
{
    log_.add("scene.setRenderTarget", target && target->getFileName() ? target->getFileName() : "(screen)");
    return 0;
}

int RecordingSceneManager::renderScene()
{
    log_.add("scene.renderScene");
    return 0;
}

int RecordingSceneManager::finishRender()
{
    log_.add("scene.finishRender");
    return 0;
}

RecordingRenderDevice::RecordingRenderDevice(CallLog& log) : log_(log), scene_(new RecordingSceneManager(log)) {}

RecordingRenderDevice::~RecordingRenderDevice()
{
    scene_->release();
}

int RecordingRenderDevice::beginFrame()
{
    log_.add("beginFrame");
    return beginResult;
}

int RecordingRenderDevice::endFrame()
{
    log_.add("endFrame");
    return 0;
}

int RecordingRenderDevice::clear(int count, const uint32_t* argb)
{
    char colour[16];
    std::snprintf(colour, sizeof colour, "%08x", argb ? *argb : 0u);
    log_.add("clear", count, colour);
    return 0;
}

Kavro::ITexture* RecordingRenderDevice::loadTexture(const char* name, int mipLevels, int flags)
{
    const std::string n = name ? name : "";
    log_.add("loadTexture", n, mipLevels, flags);
    if (std::find(missingTextures.begin(), missingTextures.end(), n) != missingTextures.end())
        return nullptr;
    return new FakeTexture(n, loadedWidth, loadedHeight, 0);
}

Kavro::ITexture* RecordingRenderDevice::createTexture(int width, int height, int format, int flags)
{
    log_.add("createTexture", width, height, format, flags);
    return new FakeTexture("", width, height, 1);
}

Kavro::ITexture* RecordingRenderDevice::createRenderTexture(int width, int height, int format, int reserved,
                                                            int flag, int reserved2)
{
    log_.add("createRenderTexture", width, height, format, reserved, flag, reserved2);
    return new FakeTexture("", width, height, 2);
}

Kavro::ITexture* RecordingRenderDevice::createNamedRenderTexture(const char* name, int width, int height,
                                                                 int format, int flag)
{
    log_.add("createNamedRenderTexture", name ? name : "", width, height, format, flag);
    return new FakeTexture(name ? name : "", width, height, 2);
}

int RecordingRenderDevice::setRenderTarget(int index, Kavro::ITexture* target, int flags)
{
    log_.add("setRenderTarget", index, target && target->getFileName() ? target->getFileName() : "(screen)", flags);
    target_ = target;
    return 0;
}

Kavro::ITexture* RecordingRenderDevice::getRenderTarget(int)
{
    return target_;
}

int RecordingRenderDevice::fillTexture(Kavro::ITexture*, const uint32_t* rgba)
{
    log_.add("fillTexture", rgba ? *rgba : 0u);
    return 0;
}

int RecordingRenderDevice::drawDebugText(const Kavro::Vector2D& position, uint32_t colour, int font,
                                         const char* text)
{
    log_.add("drawDebugText", position.x, position.y, colour, font, text ? text : "");
    return 0;
}

} // namespace OrvaneTest
