#pragma once

#include "script/Squirrel/SQRenderer.h"
#include "text/CText.h"

#include <kavro/Vector3D.h>

#include <cstdint>
#include <string>

namespace Orvane::Squirrel
{

// The easings (and the seed of a random shake) that the per-character shakes take from the last
// script argument, read as unsigned decimal fields: easing = P mod 100, then the rest.
struct PackedShake
{
    uint32_t easing;
    uint32_t secondEasing;
    uint32_t seed;
};
// withSeed: easing, (P div 100) mod 100, P div 10000; without: easing, P div 100, seed 0.
PackedShake UnpackShake(int32_t packed, bool withSeed);

// The script class "SQText": owns one text object, drives its update and drawing from its own
// passes (the text is taken out of the task's lists) and gives scripts the text's operations.
class SQText : public SQRenderer<CText>
{
public:
    explicit SQText(const char* name);
    ~SQText() override;

    CText* getEngineObject() override { return engine; }
    CFrame* getFrame() override { return engine; }

    int update() override;
    int draw() override;
    int render() override;
    int beginBatch(CBatchContext& batch) override;
    int addToBatch(CBatchContext& batch) override;
    int endBatch(CBatchContext& batch) override;
    bool isBatched() override;
    std::string getBatchKey() override;
    void setTimeScale(float scale) override;
    // The rendering-object block, then the text's own record, in the named SQFile's open file.
    int32_t serialize(const char* fileObjectName) override;
    int32_t deserialize(const char* fileObjectName) override;

    // Replaces the text object by a new one of the kind (1 English, 2 vertical, else plain): 0.
    int initialize(int kind);
    int create(const char* text);
    void print(const char* text);
    void clear();
    const char* getString();
    void link(const char* name);
    void beginType(int value);
    void resetType();
    void pushAll();
    int isTyping();
    int getBeginType();
    void setTypingSpeed(float value);
    void setMinTypingTime(float value);
    void setMaxTypingTime(float value);
    float getTypingSpeed();
    float getMinTypingTime();
    float getMaxTypingTime();
    void setTypingThreshold(float fraction);
    float getTotalTime();
    float getRemainTime();

    void setField(int width, int height);
    void getFieldSize();
    void setPitchSpace(int wide, int narrow);
    void setRowSpace(int space);
    void setRubyOffset(int offset);
    void setFont(const char* name);
    void setRubyFont(const char* name);
    void setShadow(int type, int size, float density, float stampFactor);
    void setShadowShadingParameter(int a, float b, float c);

    void fade(float alpha, int time, int easing);
    void move(float x, float y, int time, int easing);
    void scale(float x, float y, int time, int easing);
    void rotate(float x, float y, float z, int time, int easing);
    void transition(float from, float to, float vague, const char* mask, int time, int easing);
    std::string getTransitionFilename();
    void shake(const Kavro::Vector3D& start, const Kavro::Vector3D& end, int period, int mode, int duration,
               int easing, int secondEasing);
    void randomShake(const Kavro::Vector3D& start, const Kavro::Vector3D& end, int period, int mode, int duration,
                     int easing, int secondEasing);
    float getFade();
    void getMove();
    void getScale();
    void getRotate();
    void getSize();
    int isFading();
    int isMoving();
    int isScaling();
    int isRotating();
    int isShaking();

    void resetSpline();
    void setSpline(float x, float y, float z, int time, float weight);
    void beginSpline(int time, int easing);
    void resetBezier();
    void setBezier(float x, float y, float z);
    void beginBezier(int time, int easing);

    void fadeCharacter(int index, float alpha, int time, int easing);
    void moveCharacter(int index, int x, int y, int time, int easing);
    void scaleCharacter(int index, float x, float y, int time, int easing);
    void rotateCharacter(int index, float x, float y, float z, int time, int easing);
    void shakeCharacter(int index, const Kavro::Vector3D& start, const Kavro::Vector3D& end, int period, int mode,
                        int duration, int packed);
    void randomShakeCharacter(int index, const Kavro::Vector3D& start, const Kavro::Vector3D& end, int period,
                              int mode, int duration, int packed);
    void fadeRuby(int index, float alpha, int time, int easing);
    void moveRuby(int index, int x, int y, int time, int easing);
    void scaleRuby(int index, float x, float y, int time, int easing);
    void rotateRuby(int index, float x, float y, float z, int time, int easing);
    void shakeRuby(int index, const Kavro::Vector3D& start, const Kavro::Vector3D& end, int period, int mode,
                   int duration, int packed);
    void randomShakeRuby(int index, const Kavro::Vector3D& start, const Kavro::Vector3D& end, int period, int mode,
                         int duration, int packed);

    void setFontColor(int corner, float r, float g, float b, int time, int easing);
    void setShadowColor(int corner, float r, float g, float b, int time, int easing);
    void setCharacterColor(int index, int corner, float r, float g, float b, int time, int easing);
    void setRubyColor(int index, int corner, float r, float g, float b, int time, int easing);
    void getFontColor(int corner);
    void getShadowColor(int corner);
    void getCharacterRect(int index);
    void getRubyRect(int index);
    void setMask(const char* name);
    void setDisplacementMap(const char* name);
    void setSurface(const char* name);
    void setDither(int enable, int width, int height, const char* texture);
    void setTextureFiltering(int mode);
    void setCenter(float x, float y);
    void setPivot(float x, float y);
    void setBlendMode(int mode);

    float getFadeTimer();
    float getMoveTimer();
    float getScaleTimer();
    float getRotateTimer();
    float getTransitionTimer();
    float getShakeTimer();
    float getColorTimer(int corner);
    float getTypingTimer();
    float getSplineTimer();
    float getBezierTimer();
    void setFadeTimer(float elapsed);
    void setMoveTimer(float elapsed);
    void setScaleTimer(float elapsed);
    void setRotateTimer(float elapsed);
    void setTransitionTimer(float elapsed);
    void setShakeTimer(float elapsed);
    void setColorTimer(int corner, float elapsed);
    void setTypingTimer(float elapsed);
    void setSplineTimer(float elapsed);
    void setBezierTimer(float elapsed);

    static void registerClass();

private:
    // A text object of the kind from the task's factory, out of the task's lists.
    void adoptText(int kind);
    void releaseText();
    // The task object of that name in the binding's task; null for none or an empty name.
    CTaskObject* findObject(const char* name);
    void drawBlurred();
};

} // namespace Orvane::Squirrel
