#pragma once

#include "script/Squirrel/SQRenderer.h"
#include "script/SquirrelObject.h"
#include "sprite/CSprite.h"
#include "sprite/SplitActionDesc.h"

#include <cstdint>
#include <initializer_list>
#include <string>

namespace Orvane::Squirrel
{

// The script class "SQSprite": owns one engine sprite (a null one before the first creation and after
// a failed one), takes it out of the task's lists and steps, prepares and draws it itself. Adds the
// creation methods, screen and scene capture, references to other objects by name, vector results
// through SQMATH_RET_n and its own save record.
class SQSprite : public SQRenderer<CSprite>
{
public:
    explicit SQSprite(const char* name);
    ~SQSprite() override;

    CSprite* getEngineObject() override { return engine; }
    CFrame* getFrame() override { return engine; }
    int update() override;
    int draw() override;
    int render() override;
    bool isInCamera(Kavro::ICamera* camera) override;
    float getCameraDepth(Kavro::ICamera* camera) override;
    // A running screen capture copies what was drawn before it, in the back surface's pass.
    int drawsOnBackSurface() override;
    int drawOnBackSurface() override;
    void setTimeScale(float scale) override;
    int32_t serialize(const char* fileObjectName) override;
    int32_t deserialize(const char* fileObjectName) override;

    // Creation: 0, or -1 with a null sprite mask in place.
    int create(const char* imageName, int x, int y, int w, int h);
    int createSubresource(const char* imageName, int x, int y, int w, int h);
    int createColor(int width, int height, float r, float g, float b);
    int createScreen(int x, int y, int w, int h);
    int createScene(int x, int y, int w, int h);
    int createMovie(const char* movieName, int mode);

    // References by name; a name that finds no object of the expected kind clears the setting.
    using CRenderingTaskObject::setSurface;
    void link(const char* name);
    void setMask(const char* name);
    void setSurface(const char* name);
    void setDisplacementMap(const char* name);
    void setCamera(const char* name, float distance, float fieldOfView);

    void fade(float value, int time, int easing);
    void move(float x, float y, int time, int easing);
    void move3D(float x, float y, float z, int time, int easing);
    void moveVertex(int index, float x, float y, int time, int easing);
    void scale(float x, float y, int time, int easing);
    void rotate(float x, float y, float z, int time, int easing);
    void scroll(float x, float y, int time, int easing);
    void transition(float from, float to, float vague, const char* maskName, int time, int easing);
    void shake(Kavro::Vector3D* start, Kavro::Vector3D* end, int period, int mode, int time, int easing,
               int swingEasing);
    void randomShake(Kavro::Vector3D* start, Kavro::Vector3D* end, int period, int mode, int time, int easing,
                     int swingEasing);

    void setBlendMode(int mode);
    void setCenter(float x, float y);
    void setPivot(int x, int y);
    void setClickable(int clickable, int pixelHitTest);
    void setChangeCursor(int flag);
    void setTextureFiltering(int mode);
    void setActionCompatibleMode(int mode);
    void setUVOffset(float u, float v);
    void setDither(int enable, int width, int height, const char* textureName);
    void setCapture(int on);

    // Movie verbs; on a sprite that is not a movie they drive the capture switch.
    void play(int loop);
    void stop();
    void pause();
    void onResume();
    void setLoop(int loop);
    void seek(int position);
    int getDurationTime();
    int getRemainTime();
    void setVolume(float value, int time, int easing);
    float getVolume();
    int isPlaying();
    int isPaused();
    void addSoundGroup(const char* group, int a, float level);
    void setVolumeControlFadeTime(float riseTime, int riseEasing, float fallTime, int fallEasing);

    void resetBezier();
    void setBezier(float x, float y, float z);
    void beginBezier(int time, int easing);
    void resetSpline();
    void setSpline(float x, float y, float z, int time, float weight);
    void beginSpline(int time, int easing);

    void setColor(int vertex, float r, float g, float b, int time, int easing);
    void setColorBalance(float r, float g, float b, int time, int easing);
    void setColorHue(float value, int time, int easing);
    void setColorSaturation(float value, int time, int easing);
    void setColorBrightness(float value, int time, int easing);
    void setColorGlow(float value, int time, int easing);
    void setNegaposiPower(float value, int time, int easing);
    void setMonochromePower(float value, int time, int easing);
    void setShadingPower(float value, int time, int easing);
    void setShadingParameter(int level, float density);
    void setColorLevel(float min, float max, float power, float duration, int easing);

    void setRadialBlur(float centreX, float centreY, float fromPower, float toPower, int time, int easing);
    void setDirectionalBlur(float directionX, float directionY, float fromPower, float toPower, int time,
                            int easing);
    void setRipple(float centreX, float centreY, float power, float frequency, float speed, float duration,
                   int easing);
    void setRipplePhase(float phase);
    void setRaster(float rotate, float power, float frequency, float speed, float duration, int easing);
    void setRasterPhase(float phase);
    void setLens(float centreX, float centreY, float power, float radius, float duration, int easing);

    void splitFace(int rows, int columns, float mergeRatio, int seed, int even);
    void clearSplitAction();
    // 0 when the action was queued; -1 for anything but a table, or while sprites cannot split.
    int pushSplitAction(SquirrelObject table);
    void beginSplitAction(float from, float to, float duration, int easing, int keepRunning);
    // The description a table gives, as pushSplitAction hands it on; false for anything but a table.
    static bool readSplitAction(const SquirrelObject& table, SplitActionDesc& desc);

    float getFade();
    float getColorHue();
    float getColorSaturation();
    float getColorBrightness();
    float getColorGlow();
    float getNegaposiPower();
    float getMonochromePower();
    float getShadingPower();
    float getShadingDensity();
    int getShadingLevel();
    float getColorLevelMin();
    float getColorLevelMax();
    float getColorLevelPower();
    float getRadialBlurPower();
    float getDirectionalBlurPower();
    float getRipplePower();
    float getRippleFrequency();
    float getRippleSpeed();
    float getRipplePhase();
    float getRasterRotate();
    float getRasterPower();
    float getRasterFrequency();
    float getRasterSpeed();
    float getRasterPhase();
    float getLensPower();
    float getLensRadius();
    int isFading();
    int isMoving();
    int isScaling();
    int isRotating();
    int isShaking();
    int isTransitioning();
    int isOver(int firstFrameOnly);
    int isDown(int mode);
    int isUp();
    int isCaptureEnabled();
    int isDeletedTexture();
    const char* getTransitionFilename();

    // Vector queries: the components go to SQMATH_RET_1 and on; the script sees null.
    void getSize();
    void getMove();
    void getVertexMove(int index);
    void getScale();
    void getRotate();
    void getScroll();
    void getColor(int vertex);
    void getColorBalance();
    void getRadialBlurCenter();
    void getDirectionalBlurDirection();
    void getRippleCenter();
    void getLensCenter();
    void getUVOffset();

    float getFadeTimer();
    float getMoveTimer();
    float getScaleTimer();
    float getRotateTimer();
    float getTransitionTimer();
    float getShakeTimer();
    float getScrollTimer();
    float getColorBalanceTimer();
    float getColorHueTimer();
    float getColorSaturationTimer();
    float getColorBrightnessTimer();
    float getColorGlowTimer();
    float getNegaposiPowerTimer();
    float getMonochromePowerTimer();
    float getShadingPowerTimer();
    float getRadialBlurTimer();
    float getDirectionalBlurTimer();
    float getSplineTimer();
    float getVolumeTimer();
    float getBezierTimer();
    float getColorLevelTimer();
    float getRippleTimer();
    float getRasterTimer();
    float getLensTimer();
    float getSplitActionTimer();
    float getMoveVertexTimer(int index);
    float getColorTimer(int index);
    void setFadeTimer(float t);
    void setMoveTimer(float t);
    void setScaleTimer(float t);
    void setRotateTimer(float t);
    void setTransitionTimer(float t);
    void setShakeTimer(float t);
    void setScrollTimer(float t);
    void setColorBalanceTimer(float t);
    void setColorHueTimer(float t);
    void setColorSaturationTimer(float t);
    void setColorBrightnessTimer(float t);
    void setColorGlowTimer(float t);
    void setNegaposiPowerTimer(float t);
    void setMonochromePowerTimer(float t);
    void setShadingPowerTimer(float t);
    void setRadialBlurTimer(float t);
    void setDirectionalBlurTimer(float t);
    void setSplineTimer(float t);
    void setVolumeTimer(float t);
    void setBezierTimer(float t);
    void setColorLevelTimer(float t);
    void setRippleTimer(float t);
    void setRasterTimer(float t);
    void setLensTimer(float t);
    void setSplitActionTimer(float t);
    void setMoveVertexTimer(int index, float t);
    void setColorTimer(int index, float t);

    int saveImage(const char* fileName, int width, int height, int format);

    uint32_t isScreenCapture() const { return screenCapture; }
    uint32_t isSceneCapture() const { return sceneCapture; }

    static void registerClass();

protected:
    // Vector results: the values go to SQMATH_RET_1 and on.
    static void setResults(std::initializer_list<float> values);
    void dropSprite();
    CTask* factoryTask() const;
    // The object of that name in the owning task; null for an empty name or none.
    CTaskObject* findObject(const char* name) const;
    // The scene-pass draw of the engine sprite: through the blur trail while one is active.
    int drawSprite();
    // The save record keeps the texture's pixels: a frozen capture.
    virtual bool keepsPixels() const { return isCapture() && !captureEnabled; }

    // Releases the current engine sprite; made (null: a failed factory) takes its place: 0 or -1.
    int adopt(CSprite* made);

    uint32_t clearPending = 0;
    uint32_t captureEnabled = 0;

private:
    int createCapture(int x, int y, int w, int h, uint32_t& kindFlag);
    bool isCapture() const { return screenCapture || sceneCapture; }
    bool isMovie();
    void captureOn(int32_t value);
    void captureOff();
    int writeRecord(CFile& file);
    int readRecord(CFile& file);

    uint32_t screenCapture = 0;
    uint32_t sceneCapture = 0;
};

void RegisterSpriteClasses();

} // namespace Orvane::Squirrel
