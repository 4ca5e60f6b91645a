#pragma once

#include "core/CSceneObject.h"
#include "curve/CInterpolator.h"
#include "curve/CTimedNouniformSpline.h"
#include "script/Squirrel/SQRenderer.h"

#include <kavro/ISceneSprite.h>
#include <kavro/Matrix4x4.h>
#include <kavro/Vector2D.h>
#include <kavro/Vector3D.h>

#include <cstdint>

namespace Kavro
{
class IMovie;
class ISprite3D;
class ITexture;
} // namespace Kavro

namespace Orvane
{
class CVolumeControl;
}

namespace Orvane::Squirrel
{

// The script class "SQSprite3D": an image or a movie on a flat quad standing in the 3D scene. Scripts place,
// scale, turn, colour and fade it and move it along a spline; a movie's sound follows the sound settings
// through a volume control of the sound manager. The render pass rebuilds the quad after a colour change and
// hands a new world matrix after a placement change; the scene sprite reaches the scene through the holder
// at the capture.
class SQSprite3D : public SQRenderer<Kavro::ISprite3D>
{
public:
    explicit SQSprite3D(const char* name);
    ~SQSprite3D() override;

    Kavro::ISprite3D* getEngineObject() override { return engine; }
    ISceneObject* getSceneObject() override { return &sceneObject; }
    // The frame step: the movie's volume when it changed, then colour, placement and the spline.
    int update() override;
    // Visible while not erased; the changed quad colour and world matrix go to the library. -1 without a
    // scene sprite (the changes wait).
    int render() override;
    // Only marks the object drawn; -1 without a scene sprite.
    int draw() override;
    // The animations but the volume, the spline and the movie's speed.
    void setTimeScale(float scale) override;

    // An image sprite at (x, y, z): 0, or -1 when the image, the 3D sprite or the scene sprite cannot be
    // made (a failed image load changes nothing). Whatever the sprite held before is let go.
    int create(float x, float y, float z, const char* imageName);
    // A movie sprite at (x, y, z) with a volume control of the movie sound type: 0 or -1.
    int createMovie(float x, float y, float z, const char* movieName, int openMode);

    void setBlendMode(int mode);
    void setColor(float r, float g, float b, int time, int easing);
    void getColor();
    void fade(float alpha, int time, int easing);
    float getFade();

    void move(float x, float y, float z, int time, int easing);
    void scale(float x, float y, float z, int time, int easing);
    void rotate(float x, float y, float z, int time, int easing);
    void setCenter(float x, float y);
    void setPivot(float x, float y);
    void getMove();
    void getScale();
    void getRotate();
    void getSize();

    void resetSpline();
    void setSpline(float x, float y, float z, int time, float weight);
    void beginSpline(int duration, int easing);

    // 1 loops for ever (-1 to the movie); other counts pass as they are.
    void play(int loop);
    void stop();
    void pause();
    void onResume();
    void setLoop(int loop);
    void seek(int position);
    int getDurationTime();
    int getRemainTime();
    int isPlaying();
    int isPaused();
    void setVolume(float volume, int time, int easing);
    float getVolume();
    void addSoundGroup(const char* groupName, int level, float factor);
    void setVolumeControlFadeTime(float fadeInTime, int fadeInEasing, float fadeOutTime, int fadeOutEasing);

    int isFading();
    int isMoving();
    int isScaling();
    int isRotating();

    float getFadeTimer();
    float getScaleTimer();
    float getRotateTimer();
    float getMoveTimer();
    float getColorTimer();
    float getSplineTimer();
    float getVolumeTimer();
    void setFadeTimer(float ms);
    void setScaleTimer(float ms);
    void setRotateTimer(float ms);
    void setMoveTimer(float ms);
    void setColorTimer(float ms);
    void setSplineTimer(float ms);
    void setVolumeTimer(float ms);

    // The placement the render pass hands over: Translation(-offset) x Scaling x RotationZXY x Translation,
    // offset = (centre - 0.5) x size + pivot.
    Kavro::Matrix4x4 worldMatrix() const;
    // The quad's colour bytes from the colour and fade, each clamped to 0..255.
    void colourBytes(uint8_t (&out)[4]) const;

    static void registerClass();

    CSceneObject<Kavro::ISceneSprite> sceneObject;
    Kavro::IMovie* movie = nullptr;
    Kavro::ITexture* movieTexture = nullptr;
    CVolumeControl* volumeControl = nullptr;
    int32_t sourceRect[4] = {};
    uint8_t quadColour[4] = {255, 255, 255, 255};
    CInterpolator<float> fadeValue;
    CInterpolator<Kavro::Vector3D> scaleValue;
    CInterpolator<Kavro::Vector3D> rotation;
    CInterpolator<Kavro::Vector3D> position;
    CInterpolator<Kavro::Vector3D> colour;
    CInterpolator<float> volume;
    CTimedNouniformSpline<Kavro::Vector3D> spline;
    Kavro::Vector2D size;
    Kavro::Vector3D center{0.5f, 0.5f, 0.0f};
    Kavro::Vector3D pivot;
    uint32_t transformDirty = 0;
    uint32_t colourDirty = 0;

private:
    // Lets go of every library object and the volume control.
    void releaseAll();
    // The sprite over texture placed at (x, y, z), its quad built white, and its scene sprite set up; 0, or
    // -1 with the sprite and scene sprite let go (the texture stays the caller's).
    int buildSprite(Kavro::ITexture* texture, const Kavro::Vector3D& at);
    void buildQuad(const uint8_t (&bytes)[4]);
    // Tells the volume control whether the movie is audible and hands the movie its volume.
    void applyMovieVolume();
    void followSpline();
};

} // namespace Orvane::Squirrel
