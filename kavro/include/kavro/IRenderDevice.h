#pragma once

#include "IDisplacementMap.h"
#include "ILineList.h"
#include "ISceneParticle.h"
#include "IQuad.h"
#include "IShadeMap.h"
#include "IShadowSprite.h"
#include "ISpriteQuad.h"
#include "ITexture.h"
#include "Vector2D.h"

namespace Kavro
{

class ICamera;
class IModelAuxiliary;
class IModelResource;
class IPointLight;
class ISceneManager;
class ISprite3D;

// Draws into a logical screen of the game's size (scaled to the window when presented) or into render
// textures. Colours given as ARGB are 0xAARRGGBB; colours given as RGBA are packed bytes red, green, blue,
// alpha in memory order. Texture results are owned references (release them); null is a failure.
class IRenderDevice : public IInterface
{
public:
    // Negative: skip drawing this frame. Selects the screen as the render target.
    virtual int beginFrame() = 0;
    // Presents the frame.
    virtual int endFrame() = 0;
    // Clears count targets (the current render target) to the ARGB colour.
    virtual int clear(int count, const uint32_t* argb) = 0;
    virtual ISceneManager* getSceneManager() = 0;
    // A scene of its own, drawing at that size, that starts from the default state; null on failure.
    virtual ISceneManager* createSceneManager(int width, int height) = 0;
    // An image file (PNG or JPEG) through the file system, or a render texture by its "suf://" name.
    virtual ITexture* loadTexture(const char* name, int mipLevels, int flags) = 0;
    // A CPU-lockable texture of 32-bit pixels.
    virtual ITexture* createTexture(int width, int height, int format, int flags) = 0;
    virtual ITexture* createRenderTexture(int width, int height, int format, int reserved, int flag,
                                          int reserved2) = 0;
    // A render texture reachable as a texture by its "suf://" name.
    virtual ITexture* createNamedRenderTexture(const char* name, int width, int height, int format, int flag) = 0;
    // The one render texture of that size that every caller shares (made on first use, with a reference
    // added for each caller); it lives while someone holds it.
    virtual ITexture* getSharedRenderTexture(int width, int height, int format) = 0;
    // Draws into target from now on; null selects the screen. Negative: failure.
    virtual int setRenderTarget(int index, ITexture* target, int flags) = 0;
    // The current render target (no reference added); null while the screen is the target.
    virtual ITexture* getRenderTarget(int index) = 0;
    // Fills the texture (null: the screen) with the RGBA colour.
    virtual int fillTexture(ITexture* texture, const uint32_t* rgba) = 0;
    // Clears the texture (null: the screen) to the ARGB colour.
    virtual int clearTexture(ITexture* texture, uint32_t argb) = 0;
    // Small built-in font (capitals 7 pixels high, about 6 pixels per character, lines 12 apart); position
    // is the top-left in pixels of the current target, colour ARGB.
    virtual int drawDebugText(const Vector2D& position, uint32_t colour, const char* font, const char* text) = 0;

    // Scene sprites: a textured quad list over texture (null: the default texture), and an untextured one.
    virtual ISpriteQuad* createSprite(ITexture* texture, int quadCount, int reserved, int reserved2) = 0;
    virtual IQuad* createColorQuad(int quadCount) = 0;
    // A mask quad over texture (null: the default texture): a textured quad whose draw paints its picture
    // into a mask of its own instead of the target, for the quads given it by setMask. mode must be 6
    // (the only mask mode); else null.
    virtual ISpriteQuad* createSpriteMask(ITexture* texture, int mode) = 0;
    // One opaque white texel (no reference added).
    virtual ITexture* getDefaultTexture() = 0;
    // A shadow sprite over texture (a render texture its user stamps shadows into); null on failure.
    virtual IShadowSprite* createShadowSprite(ITexture* texture) = 0;
    // The built-in 4 x 4 ordered dither pattern (grey levels 8 to 248 in steps of 16, opaque; no reference
    // added).
    virtual ITexture* getDitherTexture() = 0;
    // A line list with room for count lines; null when count is not positive.
    virtual ILineList* createLineList(int count) = 0;
    // A particle object over texture (null: the default texture) with room for count billboards, and for
    // four ribbon vertices and six ribbon indices per billboard; null when count is negative.
    virtual ISceneParticle* createSceneParticle(ITexture* texture, int count) = 0;

    // Effect maps, each with one reference and a render texture of the screen's size; null on failure.
    // A displacement map starts at 0xFF808080 (moves nothing); scale is the displacement in pixels that full
    // red and full green stand for. A shade map starts at 0xFFFF0000 (full light).
    virtual IDisplacementMap* createDisplacementMap(const Vector2D& scale) = 0;
    virtual IShadeMap* createShadeMap() = 0;

    // Copies source (null: the screen) into destination: mode 0 needs equal sizes, any other mode scales.
    virtual int copyTexture(ITexture* destination, ITexture* source, int mode) = 0;
    // Copies a rectangle of source (null: the screen) into a rectangle of destination, scaling to fit.
    virtual int copyRect(ITexture* destination, const Rect2DI& destinationRect, ITexture* source,
                         const Rect2DI& sourceRect) = 0;
    // Copies what was drawn so far into the current render target (the screen while none is set) into
    // destination, scaled to fit; destination takes the target's premultiplied mark. 0 or -1.
    virtual int copyRenderTarget(ITexture* destination) = 0;
    // Reads target (null: the screen) into out: width x height pixels 0xAARRGGBB, rows top down. 0 or -1.
    virtual int readPixels(ITexture* target, void* out) = 0;
    // Writes target (null: the screen) to an image file (format 0: PNG; the only one). 0 or -1.
    virtual int saveTexture(const char* path, ITexture* target, int format) = 0;
    // Width and height of the logical screen.
    virtual const int32_t* getScreenSize() = 0;

    // 3D resources; each comes with one reference, null on failure.
    // A model file (glTF) through the file system; every call loads its own resource.
    virtual IModelResource* loadModel(const char* path) = 0;
    // A 3D sprite with room for count quads over texture.
    virtual ISprite3D* createSprite3D(int count, ITexture* texture) = 0;
    virtual ICamera* createCamera() = 0;
    virtual IPointLight* createPointLight() = 0;
    // An auxiliary resource of size entries for a model that needs one.
    virtual IModelAuxiliary* createModelAuxiliary(int size) = 0;
    // A texture a movie writes its frames into.
    virtual ITexture* createMovieTexture(int width, int height) = 0;
};

} // namespace Kavro
