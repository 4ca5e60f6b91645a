#pragma once

#include "support/CallLog.h"

#include <kavro/IRenderDevice.h>
#include <kavro/ISceneManager.h>
#include <kavro/ISceneParticle.h>
#include <kavro/RefCounted.h>

#include <string>
#include <vector>

namespace OrvaneTest
{

class Fake3D;

// Texture of a given size whose pixels live in memory; logs nothing.
class FakeTexture : public LoggedRefCounted<Kavro::ITexture>
{
public:
    FakeTexture(std::string name, int width, int height, int kind = 0);

    int isContentsLost() override { return lost; }
    const char* getFileName() override { return name.empty() ? nullptr : name.c_str(); }
    Kavro::IntPair& getImageSize(Kavro::IntPair& out) override;
    const int32_t* getSize() override { return size; }
    Kavro::Vector2D getTexelScale() override { return {1.0f / float(size[0]), 1.0f / float(size[1])}; }
    int getFormat() override { return 1; }
    int getKind() override { return kind; }
    int getMipLevels() override { return 1; }
    int lock(int level, const Kavro::Rect2DI* rect) override;
    int unlock() override;
    int getPitch() override { return size[0] * 4; }
    void* getData() override { return locked ? pixels.data() : nullptr; }
    void setFilter(int, int) override {}
    int isRenderTarget(int) override { return kind == 2; }
    int readPixels(void* out) override;
    int copyFrom(Kavro::ITexture* source) override;
    int getMemorySize() override { return int(pixels.size() * 4); }
    int saveToFile(const char*) override { return 0; }
    void setContentsLost(int value) override { lost = value; }
    void setPremultiplied(int flag) override { premultiplied = flag; }
    int isPremultiplied() override { return premultiplied; }

    std::string name;
    int32_t size[2];
    int kind;
    int lost = 0;
    int premultiplied = 0;
    bool locked = false;
    std::vector<uint32_t> pixels;
};

// Displacement map over a FakeTexture "displacement" of the size asked; resize logs
// "displacement.resize(w, h)" and takes the size into the texture. Fake shade map: texture "shade".
class FakeDisplacementMap : public LoggedRefCounted<Kavro::IDisplacementMap>
{
public:
    FakeDisplacementMap(CallLog& log, int width, int height, const Kavro::Vector2D& scale);
    ~FakeDisplacementMap() override;

    Kavro::ITexture* getTexture() override { return texture; }
    Kavro::Vector2D getScale() override { return scale; }
    int resize(int width, int height) override;

    FakeTexture* texture;
    Kavro::Vector2D scale;

private:
    CallLog& log_;
};

class FakeShadeMap : public LoggedRefCounted<Kavro::IShadeMap>
{
public:
    FakeShadeMap(int width, int height);
    ~FakeShadeMap() override;

    Kavro::ITexture* getTexture() override { return texture; }

    FakeTexture* texture;
};

// Quad list that logs every setter, apply, begin/end and added quad with its values:
// "quad.<operation>(...)" lines ("colorQuad." for a colour quad). An added quad logs its matrix (16 values,
// row by row), its four corners (x, y, z, w each), its four colours in hex and, when textured, its four
// uv pairs; the last added quad is also kept in `quads`.
class RecordingSpriteQuad : public Kavro::RefCounted<Kavro::ISpriteQuad>
{
public:
    struct Quad
    {
        Kavro::Matrix4x4 matrix;
        Kavro::Vector4D corners[4];
        uint32_t colours[4] = {};
        Kavro::Vector2D uv[4];
        bool textured = false;
    };

    RecordingSpriteQuad(CallLog& log, Kavro::ITexture* texture, const std::string& prefix = "quad");
    ~RecordingSpriteQuad() override;

    int begin() override;
    int addQuad(const Kavro::Matrix4x4& matrix, const Kavro::Vector4D corners[4], const uint32_t colours[4]) override;
    int addQuad(const Kavro::Matrix4x4& matrix, const Kavro::Vector4D corners[4], const uint32_t colours[4],
                const Kavro::Vector2D uv[4]) override;
    int end() override;
    int getQuadCount() override { return quadCount; }
    int draw(const Kavro::Vector2D& offset, const Kavro::Vector4D* colour, float factor) override;
    int setBlendMode(int mode) override;
    int getBlendMode() override { return blendMode; }
    int setQuadCount(int count) override;
    int setCamera(Kavro::ICamera* camera) override;
    Kavro::ICamera* getCamera() override { return camera_; }
    Kavro::ITexture* getTexture() override { return texture_; }
    int setTexture(Kavro::ITexture* texture) override;
    int setFilter(int linear) override;
    int getFilter() override { return filter; }
    int setUVOffset(const Kavro::Vector2D& offset) override;
    // Logs "<prefix>.setMask(<the mask's prefix>)" or "(null)"; holds a reference.
    int setMask(Kavro::ISpriteQuad* mask) override;
    int setMaskSize(int width, int height) override;
    int setDiffuseOnly(int flag) override;
    // Log "<prefix>.setDisplacementMap(<texture name or null>)" and the same for setShadeMap; the quad
    // keeps a reference and the map (displacementMap, shadeMap).
    int setDisplacementMap(Kavro::IDisplacementMap* map) override;
    int setShadeMap(Kavro::IShadeMap* map) override;
    int apply() override;

    // Effect setters log their values (vectors as "x, y"); the quad keeps what the getters answer.
    int setTransitionMask(Kavro::ITexture* mask) override;
    int setTransition(float from, float to, float value, float vague) override;
    int setDither(Kavro::ITexture* pattern, const Kavro::Vector2D& size) override;
    int setColorHue(float value) override { return logged("setColorHue", value); }
    int setColorSaturation(float value) override { return logged("setColorSaturation", value); }
    int setColorBrightness(float value) override { return logged("setColorBrightness", value); }
    int setColorGlow(float value) override { return logged("setColorGlow", value); }
    int setColorBalance(float r, float g, float b, float a) override { return logged("setColorBalance", r, g, b, a); }
    int setNegaposiPower(float value) override { return logged("setNegaposiPower", value); }
    int setMonochromePower(float value) override { return logged("setMonochromePower", value); }
    int setShadingParameter(int level, float density) override;
    int setShadingPower(float value) override { return logged("setShadingPower", value); }
    int getShadingLevel() override { return shadingLevel; }
    float getShadingDensity() override { return shadingDensity; }
    int setColorLevel(const float* min, const float* max, const float* power) override;
    float getColorLevelMin() override { return colorLevel[0]; }
    float getColorLevelMax() override { return colorLevel[1]; }
    float getColorLevelPower() override { return colorLevel[2]; }
    int setRadialBlurCenter(const Kavro::Vector2D& c) override { return logged("setRadialBlurCenter", c.x, c.y); }
    int setRadialBlurPower(float value) override { return logged("setRadialBlurPower", value); }
    int setDirectionalBlurDirection(const Kavro::Vector2D& d) override
    {
        return logged("setDirectionalBlurDirection", d.x, d.y);
    }
    int setDirectionalBlurPower(float value) override { return logged("setDirectionalBlurPower", value); }
    int setRippleCenter(const Kavro::Vector2D& c) override { return logged("setRippleCenter", c.x, c.y); }
    int setRippleFrequency(float value) override { return logged("setRippleFrequency", value); }
    int setRipplePower(float value) override { return logged("setRipplePower", value); }
    int setRipplePhase(float value) override { return logged("setRipplePhase", value); }
    int setRasterFrequency(float value) override { return logged("setRasterFrequency", value); }
    int setRasterPower(float value) override { return logged("setRasterPower", value); }
    int setRasterPhase(float value) override { return logged("setRasterPhase", value); }
    int setRasterRotate(const float* degrees) override { return logged("setRasterRotate", *degrees); }
    int setLensCenter(const Kavro::Vector2D* c) override { return logged("setLensCenter", c->x, c->y); }
    int setLensPower(float value) override { return logged("setLensPower", value); }
    int setLensRadius(float value) override { return logged("setLensRadius", value); }
    const std::string& prefix() const { return prefix_; }

    int quadCount = 0;
    int blendMode = 1;
    int filter = 0;
    Kavro::Vector2D uvOffset;
    // The quads of the current list.
    std::vector<Quad> quads;
    // The list as it stood at each draw, oldest first.
    std::vector<std::vector<Quad>> drawnLists;
    // What setTransitionMask answers (the mask is kept only when it is not negative).
    int transitionMaskResult = 0;
    Kavro::ITexture* transitionMask = nullptr;
    int shadingLevel = 4;
    float shadingDensity = 0.5f;
    float colorLevel[3] = {0.0f, 1.0f, 1.0f};
    Kavro::IDisplacementMap* displacementMap = nullptr;
    Kavro::IShadeMap* shadeMap = nullptr;

private:
    template <typename... Args> int logged(const char* name, const Args&... args)
    {
        log_.add(op(name), args...);
        return 0;
    }
    void record(const Quad& quad);
    std::string op(const char* name) const { return prefix_ + "." + name; }

    CallLog& log_;
    Kavro::ITexture* texture_;
    Kavro::ICamera* camera_ = nullptr;
    Kavro::ISpriteQuad* mask_ = nullptr;
    std::string prefix_;
};

// Shadow sprite that logs every call: "shadow.<operation>(...)"; setQuad logs the four colours in hex.
class RecordingShadowSprite : public Kavro::RefCounted<Kavro::IShadowSprite>
{
public:
    RecordingShadowSprite(CallLog& log, Kavro::ITexture* texture);
    ~RecordingShadowSprite() override;

    int setQuad(const Kavro::Matrix4x4& matrix, const Kavro::Vector4D corners[4], const uint32_t colours[4],
                const Kavro::Vector2D uv[4]) override;
    int setShading(int a, float b, float c) override;
    int setRect(float x, float y, float width, float height) override;
    int draw(const Kavro::Vector2D& offset, const Kavro::Vector4D* colour, float factor) override;
    int setBlendMode(int mode) override;
    int getBlendMode() override { return blendMode; }
    int setDither(Kavro::ITexture* texture, float width, float height) override;
    Kavro::ITexture* getTexture() override { return texture_; }

    int blendMode = 1;

private:
    CallLog& log_;
    Kavro::ITexture* texture_;
};

// Line list that logs begin, end, render and setBlendMode as "lineList.<operation>(...)" and keeps the lines
// of its current list; addLine beyond the count it was made for answers -1, as the library's does.
class RecordingLineList : public LoggedRefCounted<Kavro::ILineList>
{
public:
    struct Line
    {
        Kavro::Matrix4x4 matrix;
        Kavro::Vector4D from;
        uint32_t fromColour = 0;
        Kavro::Vector4D to;
        uint32_t toColour = 0;
    };

    RecordingLineList(CallLog& log, int capacity) : capacity(capacity), log_(log) {}

    int begin() override;
    int addLine(const Kavro::Matrix4x4& matrix, const Kavro::Vector4D& from, uint32_t fromColour,
                const Kavro::Vector4D& to, uint32_t toColour) override;
    int end() override;
    int getLineCount() override { return int(lines.size()); }
    int render() override;
    int setBlendMode(int mode) override;
    int getBlendMode() override { return blendMode; }

    int capacity;
    int blendMode = 1;
    std::vector<Line> lines;
    // Completed lists (begin to end), oldest first; renders counts render calls.
    int builds = 0;
    int renders = 0;

private:
    CallLog& log_;
};

// Particle object that logs its setters, begin and end as "<label>.<operation>(...)" (label "particle<n>",
// n counting from 0 per device) and keeps what a batch holds.
class RecordingSceneParticle : public LoggedRefCounted<Kavro::ISceneParticle>
{
public:
    struct Billboard
    {
        Kavro::Matrix4x4 matrix;
        Kavro::Vector2D size;
        uint32_t colour = 0;
        Kavro::Vector4D rect;
    };

    RecordingSceneParticle(CallLog& log, std::string label, Kavro::ITexture* texture, int count);
    ~RecordingSceneParticle() override;

    int begin(int billboards, int ribbons) override;
    int end() override;
    int addBillboard(const Kavro::Matrix4x4& matrix, const Kavro::Vector2D& size, uint32_t colour,
                     const Kavro::Vector4D& sourceRect) override;
    int addTexCoords(const Kavro::Vector2D* uv, int count) override;
    int addVertices(const Kavro::ParticleVertex* vertices, int count) override;
    int addIndices(const uint16_t* indices, int count) override;
    int getVertexCount() override { return int(vertices.size()); }
    int setBlendMode(int mode) override;
    int setCulling(int mode) override;
    int setSceneTexture(Kavro::ITexture* texture, const Kavro::Vector2D& size) override;
    int setViewProjection(const Kavro::Matrix4x4& matrix) override;
    int setColorOperation(int operation) override;
    Kavro::ITexture* getTexture() override { return texture_; }
    int getBillboardCount() override { return int(billboards.size()); }

    std::string label;
    int count;
    std::vector<Billboard> billboards;
    std::vector<Kavro::ParticleVertex> vertices;
    std::vector<Kavro::Vector2D> uvs;
    std::vector<uint16_t> indices;
    Kavro::Matrix4x4 viewProjection;
    Kavro::ITexture* sceneTexture = nullptr;
    int ends = 0;

private:
    CallLog& log_;
    Kavro::ITexture* texture_;
};

// Scene object over a particle object; logs "<particle label>.object.<operation>(...)".
class RecordingParticleSceneObject : public LoggedRefCounted<Kavro::IParticleSceneObject>
{
public:
    RecordingParticleSceneObject(CallLog& log, Kavro::ISceneParticle* particle, std::string label);
    ~RecordingParticleSceneObject() override;

    int setWorldMatrix(const Kavro::Matrix4x4& matrix) override;
    int draw() override;
    int setBlendMode(int mode) override;
    int setColorOperation(int operation) override;
    int setDepthTest(int enable) override;
    int setDepthWrite(int enable) override;
    int setCulling(int mode) override;
    Kavro::ISceneParticle* getParticle() override { return particle_; }

    Kavro::Matrix4x4 world;
    int draws = 0;

private:
    template <typename... Args> int logged(const char* name, const Args&... args)
    {
        log_.add(label_ + ".object." + name, args...);
        return 0;
    }
    CallLog& log_;
    Kavro::ISceneParticle* particle_;
    std::string label_;
};

class RecordingSceneManager : public LoggedRefCounted<Kavro::ISceneManager>
{
public:
    explicit RecordingSceneManager(CallLog& log) : log_(log) {}
    int setup(uint32_t* out, const uint32_t* startWord) override;
    int setRenderTarget(Kavro::ITexture* target) override;
    int renderScene() override;
    int finishRender() override;
    void getSceneStateDesc(Kavro::CSceneStateDesc& out) override;
    // Stores into state at once, so the next fetch answers what was handed back.
    void setSceneStateDesc(const Kavro::CSceneStateDesc& desc) override;
    int commitSceneStateDesc() override;
    // A recording scene object over the particle object (null while noParticleObject is set); logs.
    Kavro::IParticleSceneObject* createParticleObject(Kavro::ISceneParticle* particle) override;
    Kavro::ICamera* getCurrentCamera() override;
    int setCurrentCamera(Kavro::ICamera* camera) override;
    ~RecordingSceneManager() override
    {
        setCurrentCamera(nullptr);
        for (RecordingParticleSceneObject* object : particleObjects)
            object->release();
    }

    // 3D scene: makers, camera and nodes are answered by fake3D (null or -1 without one); the scene-wide
    // settings are logged as "scene.<operation>(...)" and answer 0; the two transforms answer the vector set
    // in worldToScreen and screenToWorld.
    int addSceneNode(Kavro::ISceneNode* node) override;
    Kavro::ISceneModel* createSceneModel(Kavro::IModelResource* resource) override;
    Kavro::ISceneSprite* addSprite3D(Kavro::ISprite3D* sprite) override;
    Kavro::IScenePointLight* createScenePointLight(Kavro::IPointLight* light) override;
    Kavro::IInterface* addModelAuxiliary(Kavro::IModelAuxiliary* auxiliary) override;
    Kavro::ICamera* getCamera() override;
    int setCamera(Kavro::ICamera* camera) override;
    Kavro::Vector3D transformFromWorldToScreen(const Kavro::Vector3D& world) override;
    Kavro::Vector3D transformFromScreenToWorld(const Kavro::Vector3D& screen) override;
    int setLightColor(const Kavro::Vector4D& colour) override;
    int setLightPosition(const Kavro::Vector4D& position) override;
    int setLightLookAt(const Kavro::Vector4D& target) override;
    int setShadowMapOffsetRotate(const float& x, const float& y, const float& z) override;
    int setProjectionShadowOffsetRotate(const float& x, const float& y, const float& z) override;
    int setSceneStateShadow(int a, int b, int c) override;
    int setKeepSubstanceRenderingResult(int keep) override;
    int setHDRBloomEnable(int enable) override;
    int setHDRParameter(float lowLimit, float brightPower) override;
    int setBloomParameter(float bloom) override;
    int setDOFEnable(int enable) override;
    int setDOFParameter(float middle, float far) override;
    int setToneMappingEnable(int enable) override;
    int setToneMappingParameter(float bias, float darkClamp, float lightClamp) override;
    int setSoftFocusEnable(int enable) override;
    int setSoftFocusParameter(float blurPower, float blendPower) override;
    int setFogEnable(const int& enable) override;
    int setFogParameter(const float& nearDistance, const float& farDistance, Kavro::Vector4D colour) override;
    int setRadialBlurParameter(const Kavro::Vector2D& centre, float power) override;
    int setSoftParticleLength(const float& length) override;

    Kavro::CSceneStateDesc state;
    bool noParticleObject = false;
    Kavro::ICamera* camera = nullptr;
    // Every scene object made, with a reference of the manager's.
    std::vector<RecordingParticleSceneObject*> particleObjects;
    int commitResult = 0;
    Fake3D* fake3D = nullptr;
    Kavro::Vector3D worldToScreen, screenToWorld;

private:
    CallLog& log_;
};

// Render device that logs every call with its arguments and hands out FakeTextures.
class RecordingRenderDevice : public LoggedRefCounted<Kavro::IRenderDevice>
{
public:
    explicit RecordingRenderDevice(CallLog& log);
    ~RecordingRenderDevice() override;

    int beginFrame() override;
    int endFrame() override;
    int clear(int count, const uint32_t* argb) override;
    Kavro::ISceneManager* getSceneManager() override { return noSceneManager ? nullptr : scene_; }
    RecordingSceneManager* recordingScene() { return scene_; }
    // Logs and hands out a new recording scene manager.
    Kavro::ISceneManager* createSceneManager(int width, int height) override;
    Kavro::ITexture* loadTexture(const char* name, int mipLevels, int flags) override;
    Kavro::ITexture* createTexture(int width, int height, int format, int flags) override;
    Kavro::ITexture* createRenderTexture(int width, int height, int format, int reserved, int flag,
                                         int reserved2) override;
    Kavro::ITexture* createNamedRenderTexture(const char* name, int width, int height, int format,
                                              int flag) override;
    // Logs and hands out one texture per size, as the device does.
    Kavro::ITexture* getSharedRenderTexture(int width, int height, int format) override;
    int setRenderTarget(int index, Kavro::ITexture* target, int flags) override;
    Kavro::ITexture* getRenderTarget(int index) override;
    int fillTexture(Kavro::ITexture* texture, const uint32_t* rgba) override;
    int clearTexture(Kavro::ITexture* texture, uint32_t argb) override;
    int drawDebugText(const Kavro::Vector2D& position, uint32_t colour, const char* font, const char* text) override;
    Kavro::ISpriteQuad* createSprite(Kavro::ITexture* texture, int quadCount, int reserved, int reserved2) override;
    Kavro::IQuad* createColorQuad(int quadCount) override;
    // Logs and hands out a recording quad named "mask" (null while noMaskQuad is set).
    Kavro::ISpriteQuad* createSpriteMask(Kavro::ITexture* texture, int mode) override;
    Kavro::ITexture* getDefaultTexture() override { return defaultTexture_; }
    // Logs; null when noShadowSprite is set.
    Kavro::IShadowSprite* createShadowSprite(Kavro::ITexture* texture) override;
    Kavro::ITexture* getDitherTexture() override { return ditherTexture_; }
    // Logs; null while noLineList is set. The device keeps a reference to every list it made (lineLists).
    Kavro::ILineList* createLineList(int count) override;
    // Logs "createSceneParticle(<texture name>, count)"; null while noSceneParticle is set. The device
    // keeps a reference to every object it made (sceneParticles).
    Kavro::ISceneParticle* createSceneParticle(Kavro::ITexture* texture, int count) override;
    // Log "createDisplacementMap(x, y)" and "createShadeMap()"; the maps' textures have the screen's size. Null
    // while noEffectMap is set.
    Kavro::IDisplacementMap* createDisplacementMap(const Kavro::Vector2D& scale) override;
    Kavro::IShadeMap* createShadeMap() override;
    int copyTexture(Kavro::ITexture* destination, Kavro::ITexture* source, int mode) override;
    // Logs "copyRenderTarget(<destination name>)".
    int copyRenderTarget(Kavro::ITexture* destination) override;
    int copyRect(Kavro::ITexture* destination, const Kavro::Rect2DI& destinationRect, Kavro::ITexture* source,
                 const Kavro::Rect2DI& sourceRect) override;
    int readPixels(Kavro::ITexture* target, void* out) override;
    int saveTexture(const char* path, Kavro::ITexture* target, int format) override;
    const int32_t* getScreenSize() override { return screenSize; }
    // 3D makers: answered by fake3D (null without one); createMovieTexture logs and makes a FakeTexture
    // "movie" of that size.
    Kavro::IModelResource* loadModel(const char* path) override;
    Kavro::ISprite3D* createSprite3D(int count, Kavro::ITexture* texture) override;
    Kavro::ICamera* createCamera() override;
    Kavro::IPointLight* createPointLight() override;
    Kavro::IModelAuxiliary* createModelAuxiliary(int size) override;
    Kavro::ITexture* createMovieTexture(int width, int height) override;

    // What beginFrame answers; a texture name listed here fails to load.
    int beginResult = 0;
    bool noSceneManager = false;
    bool noRenderTexture = false;
    bool noTexture = false; // createTexture answers null
    bool noMaskQuad = false;
    bool noShadowSprite = false;
    bool noLineList = false;
    std::vector<RecordingLineList*> lineLists;
    bool noSceneParticle = false;
    std::vector<RecordingSceneParticle*> sceneParticles;
    // What createTexture answers for a size of 0 x 0 (the real device gives none).
    bool emptyTextures = true;
    std::vector<std::string> missingTextures;
    int loadedWidth = 64, loadedHeight = 64;
    int32_t screenSize[2] = {1280, 720};
    Fake3D* fake3D = nullptr;
    bool noMovieTexture = false;
    bool noEffectMap = false;
    // Loaded and movie textures log "release(<name>)" at each release.
    bool noteTextureReleases = false;

private:
    FakeTexture* noted(FakeTexture* texture);

    CallLog& log_;
    RecordingSceneManager* scene_;
    Kavro::ITexture* target_ = nullptr;
    FakeTexture* defaultTexture_;
    FakeTexture* ditherTexture_;
    std::vector<FakeTexture*> shared_;
};

} // namespace OrvaneTest
