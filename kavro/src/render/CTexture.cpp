#include "render/CTexture.h"

#include "render/CRenderDevice.h"
#include "render/GLErrors.h"

namespace Kavro
{

CTexture::CTexture(CRenderDevice* device, bool holdsDevice, Kind kind, int width, int height, std::string name)
    : device_(device), holdsDevice_(holdsDevice), kind_(kind), size_{width, height}, name_(std::move(name))
{
    if (holdsDevice_)
        device_->addRef();
    CheckGLErrors("making a texture");
    glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    // Out of memory, or a size the driver does not take: the caller gets no texture.
    if (TakeGLError() != GL_NO_ERROR)
    {
        glDeleteTextures(1, &texture_);
        texture_ = 0;
    }
}

CTexture::~CTexture()
{
    device_->forgetTexture(this);
    // Without the context its objects are gone already.
    if (device_->makeCurrent())
    {
        if (framebuffer_)
            glDeleteFramebuffers(1, &framebuffer_);
        glDeleteTextures(1, &texture_);
    }
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
    return upload(lockBuffer_.data()) ? 0 : -1;
}

void CTexture::setFilter(int minFilter, int magFilter)
{
    // A quad's filter switch still turns linear filtering on for its own draws.
    filterBits_ = (minFilter ? 1 : 0) | (magFilter ? 2 : 0);
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

bool CTexture::reallocate(int width, int height)
{
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    if (TakeGLError() == GL_NO_ERROR)
    {
        size_[0] = width;
        size_[1] = height;
        return true;
    }
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, size_[0], size_[1], 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    return false;
}

bool CTexture::upload(const uint32_t* pixels)
{
    if (!device_->makeCurrent())
        return false;
    // Quads queued before still see the old pixels.
    device_->flush();
    glBindTexture(GL_TEXTURE_2D, texture_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, size_[0], size_[1], GL_BGRA, GL_UNSIGNED_BYTE, pixels);
    return !CheckGLErrors("uploading pixels");
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
