#include "render/CRenderDevice.h"

#include "render/CDisplacementMap.h"
#include "render/CEglContext.h"
#include "render/CSdlGLContext.h"
#include "render/CShadeMap.h"
#include "render/CSceneRenderer.h"
#include "render/BlendMode.h"
#include "render/CTexture.h"
#include "render/CYuvConverter.h"
#include "render/DebugText.h"
#include "render/GLErrors.h"
#include "render/RenderFailure.h"

#include <kavro/LoadReport.h>
#include "render/ImageCodec.h"
#include "render/RenderDeviceFactory.h"
#include "scene/CLineList.h"
#include "scene/CSceneParticle.h"
#include "scene/CMaskQuad.h"
#include "scene/CModelAuxiliary.h"
#include "scene/CCamera.h"
#include "scene/CModelResource.h"
#include "scene/CSceneObjects.h"
#include "scene/CSceneManager.h"
#include "scene/CShadowSprite.h"
#include "scene/CSpriteQuad.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace Kavro
{

namespace
{

const char surfacePrefix[] = "suf://";

bool isSurfaceName(const char* name)
{
    return std::strncmp(name, surfacePrefix, sizeof surfacePrefix - 1) == 0;
}

// The whole file through the file system, or empty; *opened tells a missing file from an empty or
// unreadable one.
std::vector<uint8_t> readWholeFile(IFileSystem* fileSystem, const char* name, bool* opened = nullptr)
{
    std::vector<uint8_t> bytes;
    IFileStream* stream = fileSystem->open(name, 0, 0, 0);
    if (opened)
        *opened = stream != nullptr;
    if (!stream)
        return bytes;
    if (stream->load() >= 0 && stream->getLoadData())
    {
        const uint8_t* data = stream->getLoadData();
        bytes.assign(data, data + stream->getFileSize());
    }
    stream->close();
    stream->release();
    return bytes;
}

void setClearColour(uint32_t argb)
{
    glClearColor(float((argb >> 16) & 0xFF) / 255.0f, float((argb >> 8) & 0xFF) / 255.0f, float(argb & 0xFF) / 255.0f,
                 float(argb >> 24) / 255.0f);
}

uint32_t Unpremultiplied(uint32_t argb)
{
    const uint32_t alpha = argb >> 24;
    if (alpha == 0 || alpha == 255)
        return alpha == 0 ? 0 : argb;
    uint32_t out = argb & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8)
    {
        const uint32_t channel = (argb >> shift) & 0xFF;
        out |= std::min(255u, (channel * 255 + alpha / 2) / alpha) << shift;
    }
    return out;
}

// Packed red, green, blue, alpha bytes with the colour scaled by the alpha.
uint32_t PremultipliedColour(uint32_t rgba)
{
    const uint32_t alpha = rgba >> 24;
    uint32_t out = rgba & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8)
        out |= ((((rgba >> shift) & 0xFF) * alpha + 127) / 255) << shift;
    return out;
}

Rect2DI wholeOf(CTexture* texture)
{
    return {0, 0, texture->getSize()[0], texture->getSize()[1]};
}

// Pixels of a target of that size to clip units (y is up in clip space and down in pixels).
Vector2D clipOffset(const Vector2D& pixels, int targetWidth, int targetHeight)
{
    return {pixels.x * 2.0f / float(targetWidth), -pixels.y * 2.0f / float(targetHeight)};
}

bool rectInside(const Rect2DI& r, CTexture* texture)
{
    return r.left >= 0 && r.top >= 0 && r.right > r.left && r.bottom > r.top && r.right <= texture->getSize()[0] &&
           r.bottom <= texture->getSize()[1];
}

} // namespace

IRenderDevice* CreateRenderDevice(SDL_Window* window, int screenWidth, int screenHeight, IFileSystem* fileSystem)
{
    std::unique_ptr<CGLContext> context;
    if (window)
        context = CSdlGLContext::create(window);
    else
        context = CEglContext::create();
    if (!context)
        return nullptr;
    return CRenderDevice::create(std::move(context), screenWidth, screenHeight, fileSystem);
}

void SetPresentRectProvider(IRenderDevice* device, std::function<Rect2D<int>()> provider)
{
    if (auto* ours = dynamic_cast<CRenderDevice*>(device))
        ours->setPresentRectProvider(std::move(provider));
}

void ReleaseRenderContext(IRenderDevice* device)
{
    if (auto* ours = dynamic_cast<CRenderDevice*>(device))
        ours->releaseContext();
}

long GetRenderDrawCalls(IRenderDevice* device)
{
    auto* ours = dynamic_cast<CRenderDevice*>(device);
    return ours ? ours->drawCalls() : 0;
}

CRenderDevice::CRenderDevice(std::unique_ptr<CGLContext> context, int screenWidth, int screenHeight,
                             IFileSystem* fileSystem)
    : context_(std::move(context)), screenSize_{screenWidth, screenHeight}, fileSystem_(fileSystem)
{
    if (fileSystem_)
        fileSystem_->addRef();
}

CRenderDevice* CRenderDevice::create(std::unique_ptr<CGLContext> context, int screenWidth, int screenHeight,
                                     IFileSystem* fileSystem)
{
    auto* device = new CRenderDevice(std::move(context), screenWidth, screenHeight, fileSystem);
    if (!device->build())
    {
        device->release();
        return nullptr;
    }
    return device;
}

bool CRenderDevice::build()
{
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize_);
    if (!sizeAllowed(screenSize_[0], screenSize_[1]))
    {
        SetRenderFailure("the screen of " + std::to_string(screenSize_[0]) + " x " + std::to_string(screenSize_[1]) +
                         " is larger than OpenGL's largest texture (" + std::to_string(maxTextureSize_) + ")");
        return false;
    }
    renderer_ = CQuadRenderer::create();
    if (!renderer_)
    {
        SetRenderFailure("the OpenGL driver refused the sprite shaders");
        return false;
    }
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    screen_ = new CTexture(this, false, CTexture::RenderTarget, screenSize_[0], screenSize_[1], "");
    if (!screen_->valid() || !screen_->framebuffer())
    {
        SetRenderFailure("the OpenGL driver refused the screen's framebuffer");
        return false;
    }
    defaultTexture_ = new CTexture(this, false, CTexture::Lockable, 1, 1, "");
    if (!defaultTexture_->valid())
        return false;
    const uint32_t white = 0xFFFFFFFFu;
    defaultTexture_->upload(&white);
    scene_ = new CSceneManager(this);
    current_ = screen_;
    clearTexture(nullptr, 0xFF000000u);
    return true;
}

CRenderDevice::~CRenderDevice()
{
    flush();
    sceneRenderer_.reset();
    if (scene_)
        scene_->release();
    if (defaultTexture_)
        defaultTexture_->release();
    if (ditherTexture_)
        ditherTexture_->release();
    if (screen_)
        screen_->release();
    if (renderer_ && !makeCurrent())
        renderer_->abandon();
    renderer_.reset();
    dropYuvConverter();
    if (fileSystem_)
        fileSystem_->release();
}

bool CRenderDevice::makeCurrent()
{
    return context_ && context_->makeCurrent();
}

void CRenderDevice::releaseContext()
{
    if (!context_)
        return;
    if (makeCurrent())
        flush();
    else if (renderer_)
        renderer_->abandon();
    // Its objects die with it; the textures still alive find no context and leave theirs alone.
    sceneRenderer_.reset();
    renderer_.reset();
    dropYuvConverter();
    context_.reset();
}

CSceneRenderer* CRenderDevice::sceneRenderer()
{
    if (!sceneRenderer_ && !sceneRendererFailed_ && makeCurrent())
    {
        sceneRenderer_ = CSceneRenderer::create(this);
        sceneRendererFailed_ = !sceneRenderer_;
        bindCurrentTarget();
    }
    return sceneRenderer_.get();
}

ISprite3D* CRenderDevice::createSprite3D(int count, ITexture* texture)
{
    CTexture* ours = own(texture);
    return ours && count > 0 ? new CSprite3D(ours, count) : nullptr;
}

ICamera* CRenderDevice::createCamera()
{
    return new CCamera(float(screenSize_[0]) / float(screenSize_[1]));
}

ITexture* CRenderDevice::createMovieTexture(int width, int height)
{
    return makeTexture(CTexture::RenderTarget, width, height, "");
}

IPointLight* CRenderDevice::createPointLight()
{
    return new CPointLightResource;
}

void CRenderDevice::dropYuvConverter()
{
    if (yuv_ && !makeCurrent())
        yuv_->abandon();
    yuv_.reset();
}

int CRenderDevice::drawYuvFrame(ITexture* into, const YuvFrame& frame)
{
    CTexture* target = own(into);
    if (!target || !makeCurrent() || !target->framebuffer())
        return -1;
    // Queued quads may sample the texture's old frame.
    flush();
    if (!yuv_ && !yuvFailed_)
    {
        yuv_ = CYuvConverter::create();
        yuvFailed_ = !yuv_;
    }
    const bool drawn = yuv_ && yuv_->draw(target->framebuffer(), target->getSize()[0], target->getSize()[1], frame);
    bindCurrentTarget();
    return drawn ? 0 : -1;
}

void CRenderDevice::flush()
{
    if (renderer_ && renderer_->hasPending() && makeCurrent())
        renderer_->flush();
}

void CRenderDevice::forgetTexture(CTexture* texture)
{
    // Queued quads may sample it.
    flush();
    if (current_ == texture)
        current_ = texture == screen_ ? nullptr : screen_;
    if (texture->getFileName())
    {
        auto found = named_.find(texture->getFileName());
        if (found != named_.end() && found->second == texture)
            named_.erase(found);
    }
    auto shared = shared_.find({texture->getSize()[0], texture->getSize()[1]});
    if (shared != shared_.end() && shared->second == texture)
        shared_.erase(shared);
}

CTexture* CRenderDevice::own(ITexture* texture)
{
    auto* ours = dynamic_cast<CTexture*>(texture);
    return ours && ours->device() == this ? ours : nullptr;
}

bool CRenderDevice::sizeAllowed(int width, int height) const
{
    return width > 0 && height > 0 && width <= maxTextureSize_ && height <= maxTextureSize_;
}

CTexture* CRenderDevice::makeTexture(int kind, int width, int height, std::string name)
{
    if (!sizeAllowed(width, height) || !makeCurrent())
        return nullptr;
    auto* texture = new CTexture(this, true, CTexture::Kind(kind), width, height, std::move(name));
    if (!texture->valid())
    {
        std::fprintf(stderr, "kavro: the driver refused a %d x %d texture\n", width, height);
        texture->release();
        return nullptr;
    }
    if (kind == CTexture::RenderTarget)
    {
        if (!texture->framebuffer())
        {
            texture->release();
            return nullptr;
        }
        clearTexture(texture, 0);
    }
    else if (kind == CTexture::Lockable)
    {
        const std::vector<uint32_t> zero(size_t(width) * size_t(height), 0);
        texture->upload(zero.data());
    }
    return texture;
}

int CRenderDevice::beginFrame()
{
    if (!makeCurrent())
        return -1;
    flush();
    current_ = screen_;
    bindCurrentTarget();
    return 0;
}

int CRenderDevice::endFrame()
{
    if (!makeCurrent())
        return -1;
    flush();
    presentToWindow();
    context_->present();
    CheckGLErrors("presenting a frame");
    return 0;
}

Rect2D<int> CRenderDevice::presentRect(int windowWidth, int windowHeight) const
{
    if (presentRect_)
    {
        const Rect2D<int> wanted = presentRect_();
        if (wanted.w > 0 && wanted.h > 0)
            return wanted;
    }
    // Largest rectangle of the screen's aspect that fits, centred.
    int width = windowWidth;
    int height = int(int64_t(windowWidth) * screenSize_[1] / screenSize_[0]);
    if (height > windowHeight)
    {
        height = windowHeight;
        width = int(int64_t(windowHeight) * screenSize_[0] / screenSize_[1]);
    }
    return {(windowWidth - width) / 2, (windowHeight - height) / 2, width, height};
}

void CRenderDevice::presentToWindow()
{
    int windowWidth = 0, windowHeight = 0;
    context_->getDrawableSize(windowWidth, windowHeight);
    if (windowWidth <= 0 || windowHeight <= 0)
        return;
    const Rect2D<int> r = presentRect(windowWidth, windowHeight);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glViewport(0, 0, windowWidth, windowHeight);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, screen_->framebuffer());
    // The window's row 0 is its bottom row; the screen texture's row 0 is the top.
    const int top = windowHeight - r.y;
    glBlitFramebuffer(0, 0, screenSize_[0], screenSize_[1], r.x, top, r.x + r.w, top - r.h, GL_COLOR_BUFFER_BIT,
                      GL_LINEAR);
    bindCurrentTarget();
}

void CRenderDevice::bindCurrentTarget()
{
    glBindFramebuffer(GL_FRAMEBUFFER, target()->framebuffer());
    glViewport(0, 0, target()->getSize()[0], target()->getSize()[1]);
}

int CRenderDevice::clear(int, const uint32_t* argb)
{
    return clearTexture(current_ == screen_ ? nullptr : current_, argb ? *argb : 0xFF000000u);
}

int CRenderDevice::clearTexture(ITexture* texture, uint32_t argb)
{
    CTexture* target = texture ? own(texture) : screen_;
    if (!target || !makeCurrent() || !target->framebuffer())
        return -1;
    flush();
    glBindFramebuffer(GL_FRAMEBUFFER, target->framebuffer());
    setClearColour(argb);
    glClear(GL_COLOR_BUFFER_BIT);
    bindCurrentTarget();
    CheckGLErrors("clearing a texture");
    return 0;
}

int CRenderDevice::fillTexture(ITexture* texture, const uint32_t* rgba)
{
    if (!rgba)
        return -1;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(rgba);
    const uint32_t argb = uint32_t(bytes[3]) << 24 | uint32_t(bytes[0]) << 16 | uint32_t(bytes[1]) << 8 | bytes[2];
    return clearTexture(texture, argb);
}

ISceneManager* CRenderDevice::getSceneManager()
{
    return scene_;
}

ISceneManager* CRenderDevice::createSceneManager(int width, int height)
{
    if (!sizeAllowed(width, height))
        return nullptr;
    return new CSceneManager(this);
}

ITexture* CRenderDevice::loadTexture(const char* name, int, int)
{
    if (!name || !*name)
        return nullptr;
    if (isSurfaceName(name))
    {
        auto found = named_.find(name);
        if (found == named_.end())
            return nullptr;
        found->second->addRef();
        return found->second;
    }
    if (!fileSystem_)
        return nullptr;
    bool opened = false;
    const std::vector<uint8_t> bytes = readWholeFile(fileSystem_, name, &opened);
    if (!opened)
        ReportLoadFailure(name, fileSystem_->explainMissing(name));
    return decodeTexture(bytes, name);
}

ITexture* CRenderDevice::decodeTexture(const std::vector<uint8_t>& bytes, const std::string& name)
{
    if (bytes.empty())
        return nullptr;
    DecodedImage image;
    std::string error;
    if (!DecodeImage(bytes.data(), bytes.size(), image, error, maxTextureSize_))
    {
        ReportLoadFailure(name, "not a picture that can be decoded (" + error + ")");
        return nullptr;
    }
    CTexture* texture = makeTexture(CTexture::Loaded, image.width, image.height, name);
    if (texture)
        texture->upload(image.pixels.data());
    return texture;
}

IModelResource* CRenderDevice::loadModel(const char* path)
{
    if (!path || !fileSystem_)
        return nullptr;
    Ref<IFileSystem> files(fileSystem_);
    // Files of the model (and its motions and morphs later) come through the file system, so archives work.
    auto read = [files](const std::string& name, std::vector<uint8_t>& out) {
        out = readWholeFile(files.get(), name.c_str());
        return !out.empty();
    };
    auto texture = [this](const std::vector<uint8_t>& bytes, const std::string& name) {
        return Ref<ITexture>::adopt(decodeTexture(bytes, name));
    };
    return CModelResource::load(path, read, texture);
}

IModelAuxiliary* CRenderDevice::createModelAuxiliary(int)
{
    return new CModelAuxiliary();
}

ITexture* CRenderDevice::createTexture(int width, int height, int, int)
{
    return makeTexture(CTexture::Lockable, width, height, "");
}

ITexture* CRenderDevice::createRenderTexture(int width, int height, int, int, int, int)
{
    return makeTexture(CTexture::RenderTarget, width, height, "");
}

ITexture* CRenderDevice::createNamedRenderTexture(const char* name, int width, int height, int, int)
{
    if (!name || !isSurfaceName(name))
        return nullptr;
    CTexture* texture = makeTexture(CTexture::RenderTarget, width, height, name);
    // The newest surface of a name is the one loadTexture finds.
    if (texture)
        named_[name] = texture;
    return texture;
}

ITexture* CRenderDevice::getSharedRenderTexture(int width, int height, int)
{
    auto found = shared_.find({width, height});
    if (found != shared_.end())
    {
        found->second->addRef();
        return found->second;
    }
    CTexture* texture = makeTexture(CTexture::RenderTarget, width, height, "");
    if (texture)
        shared_[{width, height}] = texture;
    return texture;
}

int CRenderDevice::setRenderTarget(int index, ITexture* target, int)
{
    if (index != 0 || !makeCurrent())
        return -1;
    CTexture* texture = target ? own(target) : screen_;
    if (!texture || !texture->framebuffer())
        return -1;
    if (texture != current_)
        flush();
    current_ = texture;
    bindCurrentTarget();
    return 0;
}

ITexture* CRenderDevice::getRenderTarget(int index)
{
    if (index != 0 || current_ == screen_)
        return nullptr;
    return current_;
}

int CRenderDevice::drawDebugText(const Vector2D& position, uint32_t colour, const char*, const char* text)
{
    if (!text)
        return -1;
    const std::vector<QuadVertex> corners =
        BuildDebugText(position, colour, text, target()->getSize()[0], target()->getSize()[1]);
    return drawQuads(corners, defaultTexture_, QuadDrawState());
}

ISpriteQuad* CRenderDevice::createSprite(ITexture* texture, int quadCount, int, int)
{
    CTexture* ours = texture ? own(texture) : defaultTexture_;
    if (!ours)
        return nullptr;
    return new CSpriteQuad(this, ours, quadCount);
}

IQuad* CRenderDevice::createColorQuad(int quadCount)
{
    return new CSpriteQuad(this, defaultTexture_, quadCount);
}

ISpriteQuad* CRenderDevice::createSpriteMask(ITexture* texture, int mode)
{
    CTexture* ours = texture ? own(texture) : defaultTexture_;
    if (!ours || mode != 6)
        return nullptr;
    auto* mask = new CMaskQuad(this, ours);
    if (!mask->maskTexture())
    {
        mask->release();
        return nullptr;
    }
    return mask;
}

ITexture* CRenderDevice::getDefaultTexture()
{
    return defaultTexture_;
}

IShadowSprite* CRenderDevice::createShadowSprite(ITexture* texture)
{
    CTexture* ours = own(texture);
    if (!ours)
        return nullptr;
    return new CShadowSprite(this, ours);
}

ITexture* CRenderDevice::getDitherTexture()
{
    if (ditherTexture_ || !makeCurrent())
        return ditherTexture_;
    // Ordered (Bayer) thresholds: neighbouring cells differ as much as possible.
    static const int order[16] = {0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5};
    uint32_t pixels[16];
    for (int i = 0; i < 16; ++i)
    {
        const uint32_t grey = uint32_t(order[i] * 16 + 8);
        pixels[i] = 0xFF000000u | (grey << 16) | (grey << 8) | grey;
    }
    ditherTexture_ = new CTexture(this, false, CTexture::Lockable, 4, 4, "");
    if (!ditherTexture_->valid())
    {
        ditherTexture_->release();
        ditherTexture_ = nullptr;
        return nullptr;
    }
    ditherTexture_->upload(pixels);
    return ditherTexture_;
}

ILineList* CRenderDevice::createLineList(int count)
{
    if (count <= 0)
        return nullptr;
    return new CLineList(this, count);
}

ISceneParticle* CRenderDevice::createSceneParticle(ITexture* texture, int count)
{
    CTexture* ours = texture ? own(texture) : defaultTexture_;
    if (!ours || count < 0)
        return nullptr;
    return new CSceneParticle(this, ours, count);
}

int CRenderDevice::drawLines(const std::vector<QuadVertex>& ends, int blendMode)
{
    CTexture* into = target();
    if (!makeCurrent() || !renderer_ || !into->framebuffer())
        return -1;
    if (ends.size() < 2)
        return 0;
    QuadDrawState state;
    state.framebuffer = into->framebuffer();
    state.targetWidth = into->getSize()[0];
    state.targetHeight = into->getSize()[1];
    state.texture = defaultTexture_->glTexture();
    state.blendMode = blendMode >= 0 && blendMode <= 5 ? blendMode : 1;
    // Whole-pixel positions lie on pixel centres, so a line between them lights one row or column of pixels
    // instead of running along the edge between two.
    state.offset = clipOffset({0.5f, 0.5f}, state.targetWidth, state.targetHeight);
    renderer_->drawLines(ends.data(), ends.size() / 2, state);
    return 0;
}

int CRenderDevice::blit(CTexture* destination, const Rect2DI& destinationRect, CTexture* source,
                        const Rect2DI& sourceRect)
{
    if (!destination || !source || destination == source || !rectInside(destinationRect, destination) ||
        !rectInside(sourceRect, source) || !makeCurrent() || !destination->framebuffer() || !source->framebuffer())
        return -1;
    flush();
    const bool sameSize = destinationRect.right - destinationRect.left == sourceRect.right - sourceRect.left &&
                          destinationRect.bottom - destinationRect.top == sourceRect.bottom - sourceRect.top;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, source->framebuffer());
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, destination->framebuffer());
    glBlitFramebuffer(sourceRect.left, sourceRect.top, sourceRect.right, sourceRect.bottom, destinationRect.left,
                      destinationRect.top, destinationRect.right, destinationRect.bottom, GL_COLOR_BUFFER_BIT,
                      sameSize ? GL_NEAREST : GL_LINEAR);
    bindCurrentTarget();
    CheckGLErrors("copying between textures");
    return 0;
}

IDisplacementMap* CRenderDevice::createDisplacementMap(const Vector2D& scale)
{
    CTexture* texture = makeTexture(CTexture::RenderTarget, screenSize_[0], screenSize_[1], "");
    if (!texture)
        return nullptr;
    clearTexture(texture, CDisplacementMap::Neutral);
    auto* map = new CDisplacementMap(texture, scale);
    texture->release();
    return map;
}

IShadeMap* CRenderDevice::createShadeMap()
{
    CTexture* texture = makeTexture(CTexture::RenderTarget, screenSize_[0], screenSize_[1], "");
    if (!texture)
        return nullptr;
    clearTexture(texture, CShadeMap::Neutral);
    auto* map = new CShadeMap(texture);
    texture->release();
    return map;
}

bool CRenderDevice::resizeRenderTexture(CTexture* texture, int width, int height)
{
    if (!texture || texture->device() != this || texture->getKind() != CTexture::RenderTarget ||
        !sizeAllowed(width, height) || !makeCurrent())
        return false;
    if (texture->getSize()[0] == width && texture->getSize()[1] == height)
        return true;
    // Queued quads may read or draw into the old storage.
    flush();
    const bool resized = texture->reallocate(width, height);
    bindCurrentTarget();
    return resized;
}

int CRenderDevice::copyTexture(ITexture* destination, ITexture* source, int mode)
{
    CTexture* to = destination ? own(destination) : screen_;
    CTexture* from = source ? own(source) : screen_;
    if (!to || !from)
        return -1;
    if (mode == 0 && (to->getSize()[0] != from->getSize()[0] || to->getSize()[1] != from->getSize()[1]))
        return -1;
    const int result = blit(to, wholeOf(to), from, wholeOf(from));
    // The whole picture is the source's now, and so is the way its colour is stored.
    if (result == 0 && to != screen_)
        to->setPremultiplied(from->isPremultiplied());
    return result;
}

int CRenderDevice::copyRenderTarget(ITexture* destination)
{
    CTexture* from = target();
    CTexture* to = own(destination);
    if (!to)
        return -1;
    const bool sameSize = to->getSize()[0] == from->getSize()[0] && to->getSize()[1] == from->getSize()[1];
    return copyTexture(to, from == screen_ ? nullptr : from, sameSize ? 0 : 2);
}

int CRenderDevice::copyRect(ITexture* destination, const Rect2DI& destinationRect, ITexture* source,
                            const Rect2DI& sourceRect)
{
    return blit(destination ? own(destination) : screen_, destinationRect, source ? own(source) : screen_,
                sourceRect);
}

int CRenderDevice::readPixels(ITexture* target, void* out)
{
    CTexture* texture = target ? own(target) : screen_;
    if (!texture || !out || !makeCurrent())
        return -1;
    flush();
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    if (texture->framebuffer())
    {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, texture->framebuffer());
        glReadPixels(0, 0, texture->getSize()[0], texture->getSize()[1], GL_BGRA, GL_UNSIGNED_BYTE, out);
        bindCurrentTarget();
    }
    else
    {
        glBindTexture(GL_TEXTURE_2D, texture->glTexture());
        glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, out);
    }
    if (CheckGLErrors("reading pixels back"))
        return -1;
    // The window shows the screen opaque, whatever alpha the blend modes left in it; so do screenshots.
    if (texture == screen_)
    {
        auto* pixels = static_cast<uint32_t*>(out);
        for (size_t i = 0, n = size_t(screenSize_[0]) * size_t(screenSize_[1]); i < n; ++i)
            pixels[i] |= 0xFF000000u;
    }
    return 0;
}

int CRenderDevice::saveTexture(const char* path, ITexture* target, int)
{
    CTexture* texture = target ? own(target) : screen_;
    if (!path || !*path || !texture)
        return -1;
    std::vector<uint32_t> pixels(size_t(texture->getSize()[0]) * size_t(texture->getSize()[1]));
    if (readPixels(texture, pixels.data()) < 0)
        return -1;
    // Image files hold straight colour.
    if (texture->isPremultiplied())
        for (uint32_t& pixel : pixels)
            pixel = Unpremultiplied(pixel);
    return WritePng(path, texture->getSize()[0], texture->getSize()[1], pixels.data()) ? 0 : -1;
}

int CRenderDevice::drawQuads(const std::vector<QuadVertex>& corners, CTexture* texture, QuadDrawState state)
{
    return drawQuadsInto(target(), corners, texture, state);
}

int CRenderDevice::drawQuadsInto(CTexture* into, const std::vector<QuadVertex>& corners, CTexture* texture,
                                 QuadDrawState state)
{
    if (!into || !texture || texture == into || (state.mask && state.mask == into->glTexture()))
        return -1;
    if (!makeCurrent() || !renderer_ || !into->framebuffer())
        return -1;
    if (corners.empty())
        return 0;
    state.framebuffer = into->framebuffer();
    state.targetWidth = into->getSize()[0];
    state.targetHeight = into->getSize()[1];
    state.texture = texture->glTexture();
    state.premultiplied = texture->isPremultiplied() != 0;
    state.filter |= texture->filterBits();
    // A stage's input cannot be read while it is drawn into: that stage is left out.
    if (state.transitionMask == into->glTexture())
        state.stages &= ~SpriteEffects::Transition;
    if (state.ditherPattern == into->glTexture())
        state.stages &= ~SpriteEffects::Dither;
    if (state.displacementMap == into->glTexture())
        state.stages &= ~SpriteEffects::Displacement;
    if (state.shadeMap == into->glTexture())
        state.stages &= ~SpriteEffects::Shade;
    if (state.blendMode < 0 || state.blendMode > 5)
        state.blendMode = 1;
    state.offset = clipOffset(state.offset, state.targetWidth, state.targetHeight);
    // A premultiplied texture drawn plainly and normally keeps the plain program: its colours are
    // premultiplied instead, and the blend takes the source as it comes.
    if (state.premultiplied && state.blendMode == 1 && state.stages == 0 && state.mask == 0)
    {
        premultipliedCorners_.assign(corners.begin(), corners.end());
        for (QuadVertex& corner : premultipliedCorners_)
            corner.colour = PremultipliedColour(corner.colour);
        state.colour = {state.colour.x * state.colour.w, state.colour.y * state.colour.w,
                        state.colour.z * state.colour.w, state.colour.w};
        state.premultiplied = false;
        state.blendMode = PremultipliedNormal;
        renderer_->append(premultipliedCorners_.data(), premultipliedCorners_.size() / 4, state);
        return 0;
    }
    renderer_->append(corners.data(), corners.size() / 4, state);
    return 0;
}

} // namespace Kavro
