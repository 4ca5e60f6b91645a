#pragma once

#include "render/CGLContext.h"
#include "render/CQuadRenderer.h"

#include <kavro/IFileSystem.h>
#include <kavro/IRenderDevice.h>
#include <kavro/Rect2D.h>
#include <kavro/RefCounted.h>

#include <functional>

#include <map>
#include <memory>
#include <string>

namespace Kavro
{

class CTexture;
class CSceneManager;
class CSceneRenderer;
class CYuvConverter;
struct YuvFrame;

// The OpenGL 3.3 render device. The logical screen is a render texture of the game's size; endFrame
// scales it into the window.
class CRenderDevice : public RefCounted<IRenderDevice>
{
public:
    // Null when the context cannot draw (shaders, framebuffers).
    static CRenderDevice* create(std::unique_ptr<CGLContext> context, int screenWidth, int screenHeight,
                                 IFileSystem* fileSystem);
    ~CRenderDevice() override;

    int beginFrame() override;
    int endFrame() override;
    int clear(int count, const uint32_t* argb) override;
    ISceneManager* getSceneManager() override;
    ISceneManager* createSceneManager(int width, int height) override;
    ITexture* loadTexture(const char* name, int mipLevels, int flags) override;
    ITexture* createTexture(int width, int height, int format, int flags) override;
    ITexture* createRenderTexture(int width, int height, int format, int reserved, int flag, int reserved2) override;
    ITexture* createNamedRenderTexture(const char* name, int width, int height, int format, int flag) override;
    ITexture* getSharedRenderTexture(int width, int height, int format) override;
    int setRenderTarget(int index, ITexture* target, int flags) override;
    ITexture* getRenderTarget(int index) override;
    int fillTexture(ITexture* texture, const uint32_t* rgba) override;
    int clearTexture(ITexture* texture, uint32_t argb) override;
    int drawDebugText(const Vector2D& position, uint32_t colour, const char* font, const char* text) override;
    ISpriteQuad* createSprite(ITexture* texture, int quadCount, int reserved, int reserved2) override;
    IQuad* createColorQuad(int quadCount) override;
    ISpriteQuad* createSpriteMask(ITexture* texture, int mode) override;
    ITexture* getDefaultTexture() override;
    IShadowSprite* createShadowSprite(ITexture* texture) override;
    ITexture* getDitherTexture() override;
    ILineList* createLineList(int count) override;
    ISceneParticle* createSceneParticle(ITexture* texture, int count) override;
    IDisplacementMap* createDisplacementMap(const Vector2D& scale) override;
    IShadeMap* createShadeMap() override;
    int copyTexture(ITexture* destination, ITexture* source, int mode) override;
    int copyRenderTarget(ITexture* destination) override;
    int copyRect(ITexture* destination, const Rect2DI& destinationRect, ITexture* source,
                 const Rect2DI& sourceRect) override;
    int readPixels(ITexture* target, void* out) override;
    int saveTexture(const char* path, ITexture* target, int format) override;
    const int32_t* getScreenSize() override { return screenSize_; }
    // A glTF binary model through the file system (kavro/README.md).
    IModelResource* loadModel(const char* path) override;
    ISprite3D* createSprite3D(int count, ITexture* texture) override;
    ICamera* createCamera() override;
    IPointLight* createPointLight() override;
    IModelAuxiliary* createModelAuxiliary(int size) override;
    // A render texture (cleared to transparent black) that a movie's frames are drawn into.
    ITexture* createMovieTexture(int width, int height) override;

    void setPresentRectProvider(std::function<Rect2D<int>()> provider) { presentRect_ = std::move(provider); }
    // Frees the GL context and everything in it; from then on every drawing operation fails.
    void releaseContext();
    // Draw calls sent to OpenGL so far (quads wait in a batch until something flushes them).
    long drawCalls() const { return renderer_ ? renderer_->drawCalls() : 0; }

    // For the device's textures and quads. False once the context is gone.
    bool makeCurrent();
    void forgetTexture(CTexture* texture);
    // Our texture behind an interface pointer; null for null and for textures of other devices.
    CTexture* own(ITexture* texture);
    // Gives a render texture of this device new storage of that size (contents undefined). False for a size
    // the device does not take or the driver refuses.
    bool resizeRenderTexture(CTexture* texture, int width, int height);
    // Queues quads (four corners each) for the current render target, sampling texture. state carries the
    // draw's filter switch, blend mode, offset in pixels, colour and uv offset; the rest is filled in here.
    // -1 when texture is the current target itself (it cannot be read while it is drawn into).
    int drawQuads(const std::vector<QuadVertex>& corners, CTexture* texture, QuadDrawState state);
    // The same into a render texture other than the current target (a mask); -1 when texture or the
    // state's mask is that render texture.
    int drawQuadsInto(CTexture* into, const std::vector<QuadVertex>& corners, CTexture* texture,
                      QuadDrawState state);
    // Draws the lines (two ends each) into the current render target at once, after the queued quads.
    int drawLines(const std::vector<QuadVertex>& ends, int blendMode);
    // Draws every queued quad: before anything reads, copies, clears or changes pixels or textures.
    void flush();
    // The texture drawn into now (the logical screen when no other is set).
    CTexture* currentTarget() const { return target(); }
    // Binds the current target again after something drew elsewhere.
    void restoreTarget() { bindCurrentTarget(); }
    // The 3D scene's renderer, made on first use; null when its shaders cannot be built or the context is gone.
    CSceneRenderer* sceneRenderer();
    // Replaces the pixels of into (a texture of this device) with the frame's picture, scaled to fit,
    // converted to RGB on the GPU. 0, or -1 when the texture or the frame cannot be drawn.
    int drawYuvFrame(ITexture* into, const YuvFrame& frame);

private:
    CRenderDevice(std::unique_ptr<CGLContext> context, int screenWidth, int screenHeight, IFileSystem* fileSystem);
    bool build();
    // A loaded texture from a PNG or JPEG file's bytes; null when they do not decode.
    ITexture* decodeTexture(const std::vector<uint8_t>& bytes, const std::string& name);
    CTexture* makeTexture(int kind, int width, int height, std::string name);
    bool sizeAllowed(int width, int height) const;
    // source and destination may be null (the screen); rectangles are checked against the sizes.
    int blit(CTexture* destination, const Rect2DI& destinationRect, CTexture* source, const Rect2DI& sourceRect);
    void bindCurrentTarget();
    void dropYuvConverter();
    CTexture* target() const { return current_ ? current_ : screen_; }
    void presentToWindow();
    Rect2D<int> presentRect(int windowWidth, int windowHeight) const;

    std::unique_ptr<CGLContext> context_;
    int32_t screenSize_[2];
    IFileSystem* fileSystem_;
    std::unique_ptr<CQuadRenderer> renderer_;
    std::unique_ptr<CYuvConverter> yuv_; // made with the first movie frame
    std::unique_ptr<CSceneRenderer> sceneRenderer_;
    bool sceneRendererFailed_ = false;
    bool yuvFailed_ = false;
    CTexture* screen_ = nullptr;
    CTexture* defaultTexture_ = nullptr;
    CTexture* ditherTexture_ = nullptr;
    CTexture* current_ = nullptr;
    CSceneManager* scene_ = nullptr;
    std::map<std::string, CTexture*> named_;
    std::map<std::pair<int, int>, CTexture*> shared_;
    std::function<Rect2D<int>()> presentRect_;
    int maxTextureSize_ = 0;
    // The corners of a premultiplied draw, colours scaled by their alpha.
    std::vector<QuadVertex> premultipliedCorners_;
};

} // namespace Kavro
