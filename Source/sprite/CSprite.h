#pragma once

#include "core/CRenderingTaskObject.h"
#include "curve/CBezier.h"
#include "curve/CInterpolator.h"
#include "curve/CTimedNouniformSpline.h"
#include "sprite/CColorTextureCallback.h"
#include "sprite/SplitActionDesc.h"
#include "sprite/SplitPiece.h"

#include <kavro/ColorF.h>
#include <kavro/Matrix4x4.h>
#include <kavro/Vector2D.h>
#include <kavro/Vector3D.h>
#include <kavro/Vector4D.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Kavro
{
class ICamera;
class IKeyboard;
class IMovie;
class IMouse;
class IQuad;
class ISpriteQuad;
class ITexture;
} // namespace Kavro

namespace Orvane
{

class CEffectShake;
class CFile;
class CSpriteDisplacementMap;
class CSpriteMask;
class CSpriteShadeMask;
class CTextureWacher;
class CTransitionCallback;
class CVolumeControl;

// The engine's 2D drawable: one textured (or plain-coloured) quad positioned by its frame, animated by
// interpolators, and handed to a library quad once per frame. Setters only record values and raise
// change marks; render pushes what changed (one apply per group) and recomputes the geometry while the
// sprite is dirty, was dirty at the previous render, or has a camera.
class CSprite : public CRenderingTaskObject
{
public:
    // rect: x, y, w, h of the source rectangle in texels; w and h are also the sprite's size.
    CSprite(Kavro::ITexture* texture, const Kavro::Vector2D& at, const int32_t rect[4]);
    // The whole texture (which must not be null) at the origin.
    explicit CSprite(Kavro::ITexture* texture);
    // A colour sprite; the creator then runs createColorTexture.
    CSprite(const Kavro::Vector2D& at, const int32_t rect[4]);
    // A movie sprite over the player (one reference kept): a texture of the movie's size that the player
    // refreshes at every render, and a volume control (sound type 4) with the sound manager. The creator
    // checks getTexture(): without one the sprite cannot show the movie.
    CSprite(Kavro::IMovie* player, const Kavro::Vector2D& at);
    ~CSprite() override;

    // Frame operations, in the order the task runs them each frame.
    int updateWorldMatrix() override;
    int render() override;
    int draw() override;
    int update() override;
    // Draws once more with a temporary position, opacity, scale and rotation.
    virtual int drawInstance(const Kavro::Vector3D* atPosition, float alpha, const Kavro::Vector2D* atScale,
                             const Kavro::Vector3D* atRotation);

    Kavro::Vector2D getViewSize() override;
    Kavro::Vector3D getWorldScale() override;
    bool isInCamera(Kavro::ICamera* camera) override;
    // The largest depth of the four corners in that camera; 0 for any other camera.
    float getCameraDepth(Kavro::ICamera* camera) override;

    // Makes the textured quad (0, or -1 when the device gives none) and watches the texture's name.
    virtual int create();
    // Makes the untextured quad; color is red, green, blue, alpha bytes for all four corners.
    virtual int createColorTexture(const uint8_t color[4]);
    // Recomputes the matrix, corners, colours and texture coordinates and hands them to the quad.
    virtual void updateGeometry();
    virtual void invalidate() { dirty = 1; }

    // Joins a parent frame. A parent that is this sprite or one of its descendants would make the
    // matrix walk circular: the sprite then leaves its parent and -1 is answered.
    int setParentFrame(CFrame* parent);

    Kavro::ITexture* getTexture() const { return texture; }
    virtual int isNull() { return 0; }
    virtual int hasSceneObject() { return sceneSprite || colorSprite; }
    virtual int isClickable() { return int(clickable); }
    virtual int isPixelHitTest() { return int(pixelHitTest); }
    // Copies the alpha of the source rectangle into hitMask (0 where the rectangle leaves the texture);
    // a texture that cannot be read switches pixel hit testing off.
    virtual void buildHitMask();
    virtual void setPixelHitTest(uint32_t flag);
    virtual void setVisible(uint32_t flag) { visible = flag; }
    // index 0..3: that corner; negative: all four; 4 or more: none. The change mark is raised anyway.
    virtual void setColor(int32_t index, float r, float g, float b, float time, uint32_t easing);
    // Corner colour and opacity; an index outside 0..3 reads all zero.
    virtual Kavro::ColorF getColor(int32_t index);
    virtual void setFadeScale(float scaling);
    virtual void setBlendMode(int32_t mode);
    virtual int32_t getBlendMode() { return blendMode; }
    // Limits the sprite to the mask's picture (null: no mask). The sprite holds one reference, and keeps
    // it only while it has a quad to hand the mask's quad to.
    virtual void setMask(CSpriteMask* newMask);
    CSpriteMask* getMask() const { return mask; }
    virtual void setCenter(const Kavro::Vector2D& value);
    virtual const Kavro::Vector2D* getCenter() { return &center; }
    virtual void setPivot(const Kavro::Vector2D& value);
    virtual const Kavro::Vector2D* getPivot() { return &pivot; }
    virtual void setChangeCursor(uint32_t flag) { changeCursor = flag; }
    virtual void setForceInput(uint32_t flag) { forceInput = flag; }
    virtual void setScreenRect(const int32_t value[4]);
    virtual float* getTimeScale() { return &timeScale; }
    virtual uint32_t* getVisible() { return &visible; }
    virtual void resetOverFrames() { overFrames = 0; }
    virtual void setHitAlphaThreshold(uint8_t threshold) { hitAlphaThreshold = threshold; }
    virtual void setClickable(uint32_t clickableFlag, uint32_t pixelHitTestFlag);
    // x, y, w, h.
    virtual std::vector<int32_t> getSize() { return {rect[0], rect[1], rect[2], rect[3]}; }
    virtual void setRect(const int32_t value[4]);
    // The camera the sprite is seen through (null: the screen's own projection); one reference kept.
    // With a perspective camera and a positive distance, worldScale makes one unit one pixel at that
    // distance (fieldOfView 0 or less: the camera's own).
    virtual void setCamera(Kavro::ICamera* newCamera, const float& distance, const float& fieldOfView);
    virtual const float& getCameraParam() { return cameraParam; }
    virtual void setUVOffset(const Kavro::Vector2D& offset);
    virtual Kavro::Vector2D getUVOffset() { return uvOffset; }
    // Corner in screen pixels (x, y) with its clip-space z and w; zero outside 0..3.
    virtual Kavro::Vector4D getVertex(const int32_t& index);
    // The textured quad takes up what it was handed since its last apply (after something was drawn
    // into the sprite's texture).
    virtual void refreshSceneSprite();

    // Pointer input (only while clickable). point in screen pixels; uv is (0, 0) at the top-left corner
    // and (1, 1) at the bottom-right.
    virtual int hitTest(const Kavro::Vector2D& point, Kavro::Vector2D& uv);
    virtual int isOver(int32_t firstFrameOnly);
    virtual int isDown(int32_t mode);
    virtual int isUp(int32_t afterActivity);

    // Motions: each eases one value from where it stands; an easing of 61 or more (or negative) is linear.
    virtual void fade(float value, uint32_t time, uint32_t easing);
    virtual void move(const Kavro::Vector2D& to, uint32_t time, uint32_t easing);
    // Keeps the current z; ends any path.
    virtual void move(float x, float y, uint32_t time, uint32_t easing);
    virtual void move3D(float x, float y, float z, uint32_t time, uint32_t easing);
    // index 0..3: that corner's offset; negative: all four; 4 or more: none.
    virtual void moveVertex(int32_t index, float x, float y, uint32_t time, uint32_t easing);
    virtual void scale(const Kavro::Vector2D& value, uint32_t time, uint32_t easing);
    virtual void scale(float x, float y, uint32_t time, uint32_t easing);
    virtual void rotate(const Kavro::Vector3D& angles, uint32_t time, uint32_t easing);
    virtual void rotate(float x, float y, float z, uint32_t time, uint32_t easing);
    // Eases the scroll speed: texture coordinates move by it once per update.
    virtual void scroll(float x, float y, uint32_t time, uint32_t easing);
    virtual float getFade() { return opacity.scaledValue; }
    virtual const Kavro::Vector3D& getMove() { return position.scaledValue; }
    // Zero outside 0..3.
    virtual const Kavro::Vector2D& getVertexMove(const int32_t& index);
    virtual const Kavro::Vector2D& getScale() { return scaling.scaledValue; }
    virtual const Kavro::Vector3D& getRotate() { return rotation.scaledValue; }
    virtual const Kavro::Vector2D& getScroll() { return scrollSpeed.scaledValue; }
    virtual float getVolume() { return volume.value; }

    // Movie playback. Commands answer the player's result, or -1 without a player; queries 0 without one.
    // A loop count of 1 reaches the player as -1 (for ever); any other count unchanged.
    virtual Kavro::IMovie* getMovie() { return movie; }
    virtual int isMovie() { return movie ? 1 : 0; }
    virtual int play(const int32_t& loops);
    virtual int pause();
    virtual int onResume();
    virtual int stop();
    virtual int setLoop(const int32_t& loops);
    virtual int seek(const int32_t& position);
    virtual int getDurationTime();
    virtual int getRemainTime();
    virtual uint32_t isPlaying();
    virtual int isPaused();
    // Eases the movie's sound level (any sprite keeps the value; only a movie is heard); time 0 applies it
    // at once. An easing of 61 or more is linear.
    virtual void setVolume(float value, uint32_t time, uint32_t easing);
    // Hands the player its level (control fade x own volume x groups x sound type 4) and tells the
    // control whether the movie is audible now.
    virtual void applyVolume();
    virtual uint32_t isFading() { return opacity.active; }
    virtual uint32_t isMoving();
    virtual uint32_t isScaling() { return scaling.active; }
    virtual uint32_t isRotating() { return rotation.active; }
    virtual uint32_t isShaking();
    virtual void resetBezier();
    virtual void setBezier(const Kavro::Vector3D& point);
    virtual void beginBezier(float duration, uint32_t easing);
    virtual void resetSpline();
    virtual void setSpline(const Kavro::Vector3D& point, const float& time, float weight);
    // Puts the sprite on the spline's first point at once.
    virtual void beginSpline(uint32_t duration, uint32_t easing);
    virtual void shake(const Kavro::Vector3D& startAmplitude, const Kavro::Vector3D& endAmplitude, uint32_t period,
                       uint32_t mode, uint32_t duration, int32_t easing, int32_t swingEasing);
    virtual void randomShake(const Kavro::Vector3D& startAmplitude, const Kavro::Vector3D& endAmplitude,
                             uint32_t period, uint32_t mode, uint32_t duration, int32_t easing, int32_t swingEasing);
    virtual CEffectShake* getShakeEffect() { return shakeEffect; }
    // Writes the time scale into every interpolator of the sprite but the corner offsets, and the shake.
    virtual void setTimeScale(float scaling);
    virtual void setActionCompatibleMode(const int32_t& mode);

    // Timers: elapsed milliseconds of each animation, and seeks (clamped to the duration, a finished
    // ease revived, the change mark raised).
    virtual float getFadeTimer();
    virtual float getMoveTimer();
    virtual float getMoveVertexTimer(const int32_t& index);
    virtual float getScaleTimer();
    virtual float getRotateTimer();
    virtual float getTransitionTimer();
    virtual float getScrollTimer();
    virtual float getRadialBlurTimer();
    virtual float getDirectionalBlurTimer();
    virtual float getSplineTimer();
    virtual float getVolumeTimer();
    virtual float getBezierTimer();
    virtual float getShakeTimer();
    virtual float getColorLevelTimer();
    virtual float getRippleTimer();
    virtual float getRasterTimer();
    virtual float getLensTimer();
    virtual float getColorHueTimer();
    virtual float getColorSaturationTimer();
    virtual float getColorBrightnessTimer();
    virtual float getColorGlowTimer();
    virtual float getNegaposiPowerTimer();
    virtual float getMonochromePowerTimer();
    virtual float getShadingPowerTimer();
    virtual float getColorTimer(int32_t index);
    virtual float getColorBalanceTimer();
    virtual float getSplitActionTimer();
    virtual void setFadeTimer(float t);
    virtual void setMoveTimer(float t);
    virtual void setMoveVertexTimer(const int32_t& index, float t);
    virtual void setScaleTimer(float t);
    virtual void setRotateTimer(float t);
    virtual void setTransitionTimer(float t);
    virtual void setScrollTimer(float t);
    virtual void setRadialBlurTimer(float t);
    virtual void setDirectionalBlurTimer(float t);
    virtual void setSplineTimer(float t);
    virtual void setVolumeTimer(float t);
    virtual void setBezierTimer(float t);
    virtual void setShakeTimer(float t);
    virtual void setColorLevelTimer(float t);
    virtual void setRippleTimer(float t);
    virtual void setRasterTimer(float t);
    virtual void setLensTimer(float t);
    virtual void setNegaposiPowerTimer(float t);
    virtual void setMonochromePowerTimer(float t);
    virtual void setShadingPowerTimer(float t);
    virtual void setColorHueTimer(float t);
    virtual void setColorSaturationTimer(float t);
    virtual void setColorBrightnessTimer(float t);
    virtual void setColorGlowTimer(float t);
    virtual void setColorTimer(int32_t index, float t);
    virtual void setColorBalanceTimer(float t);
    virtual void setSplitActionTimer(float t);

    // Split actions. splitFace cuts the source rectangle into rows x columns cells (cells of at least
    // 15 texels; counts below 1 are refused) and merges neighbours into pieces; the same five values
    // again change nothing, other values rebuild and drop the queued actions. pushSplitAction queues an
    // action for every piece; beginSplitAction runs the clock from x from to x to of the queue's
    // length in duration milliseconds, and keepRunning lets it go on past the end at that speed.
    virtual void updateSplitAction(int32_t seed, const int32_t& even);
    virtual void updateSplitActionTime();
    virtual void applySplitAction();
    virtual void splitFace(int32_t rows, int32_t columns, const float& mergeRatio, int32_t seed, const int32_t& even);
    virtual void clearSplitAction();
    virtual void pushSplitAction(const SplitActionDesc& desc);
    virtual void beginSplitAction(const float& from, const float& to, const float& duration, const int32_t& easing,
                                  const int32_t& keepRunning);
    int32_t getSplitCount() const { return splitCount; }
    const std::vector<SplitAction>& getSplitActions() const { return splitActions; }

    // Transitions: the rule texture by file name (empty: none), watched for going away when watch is set,
    // and the eased transition value the quad draws it with.
    virtual void loadTransitionMask(const std::string& name, int32_t watch);
    virtual const std::string& getTransitionFilename() { return transitionFilename; }
    virtual void transition(float from, float to, float vague, uint32_t time, uint32_t easing);
    virtual uint32_t isTransitioning() { return transitionValue.active; }

    // Colour and image effects. Durations are truncated to whole milliseconds; an easing of 61 or more
    // (or negative) is linear. Those marked "quad" do nothing at all while there is no textured quad.
    virtual void setColorHue(float value, float duration, int32_t easing);        // quad
    virtual void setColorSaturation(float value, float duration, int32_t easing); // quad
    virtual void setColorBrightness(float value, float duration, int32_t easing); // quad
    virtual void setColorGlow(float value, float duration, int32_t easing);       // quad
    virtual void setColorBalance(float r, float g, float b, float duration, int32_t easing);
    virtual Kavro::Vector3D getColorBalance() { return colorBalance.scaledValue; }
    virtual void setNegaposiPower(float value, float duration, int32_t easing);
    virtual void setMonochromePower(float value, float duration, int32_t easing);
    virtual void setShadingParameter(int32_t level, float density); // quad
    virtual void setShadingPower(float value, float duration, int32_t easing); // quad
    virtual int32_t getShadingLevel();
    virtual float getShadingDensity();
    virtual float getShadingPower() { return colorEffect[Shading].scaledValue; }
    virtual void setTextureFiltering(int32_t mode);
    // Reaches the quad at once only when duration is 0; otherwise frame by frame.
    virtual void setColorLevel(const float& min, const float& max, const float& power, const float& duration,
                               const int32_t& easing);
    virtual float getColorLevelMin();
    virtual float getColorLevelMax();
    virtual float getColorLevelPower();
    // The map whose picture moves the sprite's texels (null: none). The sprite holds one reference, and
    // keeps it only while it has a textured quad to hand the library map to.
    virtual void setDisplacementMap(CSpriteDisplacementMap* map);
    CSpriteDisplacementMap* getDisplacementMap() const { return displacementMap; }
    // The mask whose map lights the sprite's shading (null: none); no reference is held.
    virtual void setShadeMask(CSpriteShadeMask* shadeMask);
    // The pattern by name (empty or not found: the device's ordered pattern); enable 0 switches it off.
    virtual void setDither(int32_t enable, int32_t width, int32_t height, const std::string& textureName);
    // Centre and direction in pixels of the source rectangle; power eases from fromPower.
    virtual void setRadialBlur(float centreX, float centreY, float fromPower, float toPower, int32_t duration,
                               int32_t easing); // quad
    virtual float getRadialBlurPower() { return radialBlur.power.scaledValue; }
    virtual Kavro::Vector2D getRadialBlurCenter() { return radialBlur.vector; }
    virtual void setDirectionalBlur(float directionX, float directionY, float fromPower, float toPower,
                                    int32_t duration, int32_t easing); // quad
    virtual float getDirectionalBlurPower() { return directionalBlur.power.scaledValue; }
    virtual Kavro::Vector2D getDirectionalBlurDirection() { return directionalBlur.vector; }
    virtual void setRipple(float centreX, float centreY, float power, float frequency, float speed, int32_t duration,
                           int32_t easing); // quad
    virtual Kavro::Vector2D getRippleCenter() { return ripple.center; }
    virtual float getRipplePower() { return ripple.power.scaledValue; }
    virtual float getRippleFrequency() { return ripple.frequency.scaledValue; }
    virtual float getRippleSpeed() { return ripple.speed.scaledValue; }
    virtual float getRipplePhase() { return ripple.phase; }
    virtual void setRipplePhase(const float& phase);
    virtual void setRaster(float rotate, float power, float frequency, float speed, float duration,
                           int32_t easing); // quad
    virtual float getRasterRotate() { return raster.rotation.scaledValue; }
    virtual float getRasterPower() { return raster.power.scaledValue; }
    virtual float getRasterFrequency() { return raster.frequency.scaledValue; }
    virtual float getRasterSpeed() { return raster.speed.scaledValue; }
    virtual float getRasterPhase() { return raster.phase; }
    virtual void setRasterPhase(const float& phase);
    virtual void setLens(const Kavro::Vector2D& centre, float power, float radius, float duration,
                         int32_t easing); // quad
    virtual Kavro::Vector2D getLensCenter() { return lens.center.scaledValue; }
    virtual float getLensPower() { return lens.power.scaledValue; }
    virtual float getLensRadius() { return lens.radius.scaledValue; }

    // The shake effect's record: 1 on success, 0 on failure (a reader then stands at the record's end).
    virtual int saveEffect(CFile& file);
    virtual int loadEffect(CFile& file);
    // Writes the texture, or a copy scaled to width x height, to an image file: the device's answer,
    // or -1 without a texture or when the copy cannot be made.
    virtual int saveImage(const std::string& fileName, int32_t width, int32_t height, int32_t format);

    // Fields, read and written directly by the sprite's verbs and effects.
    uint32_t actionCompatibleMode = 0;
    Kavro::ITexture* texture = nullptr;
    // The texture watch of the sprite and of its kinds; the destructor and every create remove it.
    CColorTextureCallback* colorTextureCallback = nullptr;
    Kavro::ISpriteQuad* sceneSprite = nullptr;
    Kavro::IQuad* colorSprite = nullptr;
    std::vector<uint8_t> hitMask;
    int32_t rect[4] = {0, 0, 0, 0};
    // Bytes red, green, blue, alpha; the alpha of corner 0 gates drawing.
    uint32_t vertexColor32[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
    Kavro::Vector2D center{0.5f, 0.5f};
    Kavro::Vector2D pivot;
    int32_t blendMode = 1;
    CSpriteMask* mask = nullptr;
    uint32_t clickable = 0;
    uint32_t pixelHitTest = 0;
    uint32_t visible = 1;
    uint32_t dirty = 1;
    uint32_t prevDirty = 1;
    uint32_t vertexColorDirty = 0;
    uint32_t pointerState = 0;
    uint32_t changeCursor = 1;
    uint32_t forceInput = 0;
    uint32_t overFrames = 0;
    // The eased values of the fade, move, scale, rotate and scroll verbs.
    CInterpolator<float> opacity;
    CInterpolator<Kavro::Vector3D> position;
    CInterpolator<Kavro::Vector2D> vertexMove[4];
    CInterpolator<Kavro::Vector2D> scaling;
    CInterpolator<Kavro::Vector3D> rotation;
    CInterpolator<Kavro::Vector3D> vertexColor[4];
    int32_t screenRect[4] = {0, 0, 0, 0};
    uint8_t hitAlphaThreshold = 0;
    uint32_t frameCount = 0;
    CBezier<Kavro::Vector3D> bezier;
    CTimedNouniformSpline<Kavro::Vector3D> spline;
    Kavro::Vector2D uvOffset;
    CInterpolator<Kavro::Vector2D> scrollSpeed;
    int32_t textureFiltering = 1;
    Kavro::ICamera* camera = nullptr;
    CSpriteDisplacementMap* displacementMap = nullptr;
    Kavro::Vector3D worldScale{1.0f, 1.0f, 1.0f};
    float cameraParam = -1.0f;
    float timeScale = 1.0f;
    uint32_t watchingTexture = 0;
    uint32_t textureDeleted = 0;
    CEffectShake* shakeEffect = nullptr;
    CInterpolator<float> volume;
    Kavro::IMovie* movie = nullptr;
    CVolumeControl* volumeControl = nullptr;
    CInterpolator<float> transitionValue;
    uint32_t transitionDirty = 0;
    Kavro::ITexture* transitionMask = nullptr;
    CTransitionCallback* transitionCallback = nullptr;
    std::string transitionFilename;
    float transitionVague = 0.0f;
    CInterpolator<Kavro::Vector3D> colorBalance;
    uint32_t colorBalanceDirty = 0;
    // Hue, saturation, brightness, glow, negaposi, monochrome, shading: one change mark each.
    enum ColorEffect { Hue, Saturation, Brightness, Glow, Negaposi, Monochrome, Shading, ColorEffectCount };
    CInterpolator<float> colorEffect[ColorEffectCount];
    uint32_t colorEffectDirty[ColorEffectCount] = {};
    struct Blur
    {
        CInterpolator<float> power;
        Kavro::Vector2D vector;
        uint32_t dirty = 0;
    } radialBlur, directionalBlur;
    struct Wave
    {
        CInterpolator<float> power, frequency, speed, rotation;
        float phase = 0.0f;
        Kavro::Vector2D center;
        uint32_t dirty = 0;
    } ripple, raster;
    struct Lens
    {
        CInterpolator<Kavro::Vector2D> center;
        CInterpolator<float> power, radius;
        uint32_t dirty = 0;
    } lens;
    CInterpolator<Kavro::Vector3D> colorLevel;
    uint32_t colorLevelDirty = 0;
    // Split actions: the grid as asked for (compared by splitFace) and as built (reduced to cells of
    // at least 15 texels), the cells, the pieces' root cells, the queued actions and their clock.
    int32_t splitRequestedRows = 1;
    int32_t splitRequestedColumns = 1;
    int32_t splitRows = 1;
    int32_t splitColumns = 1;
    float splitMergeRatio = 0.0f;
    float splitSeed = 0.0f;
    float splitEven = 0.0f;
    float splitActionTime = 0.0f;
    uint32_t splitActionRunning = 0;
    std::vector<SplitPiece> splitPieces;
    int32_t splitCount = 0;
    CInterpolator<float> splitAction;
    std::vector<int32_t> splitList;
    std::vector<SplitAction> splitActions;
    uint32_t splitDirty = 0;
    Kavro::Vector4D vertices[4];
    // The unit quad (-1..1 in x and y) to screen pixels; the hit test inverts it.
    Kavro::Matrix4x4 quadMatrix;

protected:
    // The quad the base operations go to: the textured one, else the colour one, else null.
    Kavro::IQuad* baseQuad() const;
    // World matrix offset that centre and pivot put between the sprite's middle and its turning point.
    Kavro::Vector2D turningOffset() const;
    // Registers the callback that makeTextureCallback gives under the texture's name (when it has one),
    // and removes it again.
    void watchTexture();
    void stopWatchingTexture();
    static CTextureWacher* textureWatcher();
    virtual CColorTextureCallback* makeTextureCallback() { return new CColorTextureCallback(this); }

private:
    // Pointer states of the frame (only while clickable).
    void updatePointer();
    // The owning task's devices (forced when forceInput is set), or the application's without a task.
    Kavro::IMouse* pointerMouse();
    Kavro::IKeyboard* pointerKeyboard();
    // What the shake effect adds to the position while it shakes.
    Kavro::Vector3D shakeOffset() const;
    // 1 when a shake moved the sprite.
    int updateShake();
    static uint32_t currentFrameCount();
    void initialise(const Kavro::Vector2D& at);
    void dropVolumeControl();
    void dropQuads();
    void afterQuadMade();
    void packVertexColours();
    // The render steps that hand changed effect values to the quads.
    void pushEffects();
    void pushColourBalance();
    void dropTransitionMask();
    void easeColourEffect(ColorEffect which, float value, float duration, int32_t easing);
    bool wantsFiltering(const Kavro::Vector3D& origin, float offsetSum) const;
    Kavro::Matrix4x4 projection(Kavro::Matrix4x4 m, const Kavro::Vector2D& view,
                                const Kavro::Vector3D& pivotPoint) const;
    Kavro::Matrix4x4 distortion(float offsetSum) const;
    void addWholeQuad(const Kavro::Matrix4x4& m);
    void addPieces(const Kavro::Matrix4x4& h, const Kavro::Matrix4x4& m, uint8_t alpha);
};

// A sprite value set at once: from = to = c, no duration.
template <class T> void setAt(CInterpolator<T>& interpolator, const T& value)
{
    interpolator.set(value, value, 0u, 0);
}

} // namespace Orvane
