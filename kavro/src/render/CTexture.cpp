#include "render/CTexture.h"

#include "render/CRenderDevice.h"

namespace Kavro
{

CTexture::CTexture(CRenderDevice* device, bool holdsDevice, Kind kind, int width, int height, std::string name)
    : device_(device), holdsDevice_(holdsDevice), kind_(kind), size_{width, height}, name_(std::move(name))
{
    if (holdsDevice_)
        device_->addRef();
    glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
}

CTexture::~CTexture()
{
    device_->forgetTexture(this);
    if (framebuffer_)
        glDeleteFramebuffers(1, &framebuffer_);
    glDeleteTextures(1, &texture_);
    if (holdsDevice_)
        device_->release();
}

IntPair& CTexture::getImageSize(IntPair& out)
{
    out = {size_[0], size_[1]};
    return out;
}

Vector2D CTexture::getTexelScale()
{
    return {1.0f / float(size_[0]), 1.0f / float(size_[1])};
}

int CTexture::lock(int, const Rect2DI*)
{
    if (locked_)
        return -1;
    lockBuffer_.resize(size_t(size_[0]) * size_t(size_[1]));
    if (device_->readPixels(this, lockBuffer_.data()) < 0)
        return -1;
    locked_ = true;
    return 0;
}

int CTexture::unlock()
{
    if (!locked_)
        return -1;
    locked_ = false;
    upload(lockBuffer_.data());
    return 0;
}

void CTexture::setFilter(int, int)
{
    // Filtering is chosen per draw by the scene sprite (its filter switch), not per texture.
}

int CTexture::readPixels(void* out)
{
    return device_->readPixels(this, out) == 0 ? 1 : 0;
}

int CTexture::copyFrom(ITexture* source)
{
    return device_->copyTexture(this, source, 0) == 0 ? 1 : 0;
}

int CTexture::saveToFile(const char* path)
{
    return device_->saveTexture(path, this, 0) == 0 ? 1 : 0;
}

void CTexture::upload(const uint32_t* pixels)
{
    device_->makeCurrent();
    glBindTexture(GL_TEXTURE_2D, texture_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, size_[0], size_[1], GL_BGRA, GL_UNSIGNED_BYTE, pixels);
}

GLuint CTexture::framebuffer()
{
    if (framebuffer_)
        return framebuffer_;
    GLint previous = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture_, 0);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, GLuint(previous));
    if (!complete)
    {
        glDeleteFramebuffers(1, &framebuffer_);
        framebuffer_ = 0;
    }
    return framebuffer_;
}

} // namespace Kavro
