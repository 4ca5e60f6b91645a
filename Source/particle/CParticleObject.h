#pragma once

#include "core/CFrame.h"
#include "curve/CLinearTimeline.h"
#include "curve/CTimedNouniformSpline.h"

#include <kavro/Vector2D.h>
#include <kavro/Vector3D.h>
#include <kavro/Vector4D.h>

#include <cstdint>
#include <deque>
#include <string>

namespace Orvane
{
class CFile;
class CParticle;
}

namespace Orvane::Particle
{

// A value that runs from start through an optional middle to its end over a duration, each leg with its
// own easing. Evaluated at t = elapsed / duration; with no positive duration it stays at start.
template <class T> struct Keyed
{
    T start{};
    int32_t useMiddle = 0;
    T middle{};
    float middleTiming = 1.0f;
    int32_t middleTempo = 0;
    int32_t useEnd = 1;
    T end{};
    int32_t endTempo = 0;
    float elapsed = 0.0f;
    float duration = 0.0f;

    // False, out untouched, past the middle of a value without an end (it then holds what it reached).
    bool evaluate(T& out) const;
    T value() const
    {
        T out = start;
        evaluate(out);
        return out;
    }
};

// One live particle: a frame under its system with its behaviours (local rotation per axis, orbit, size,
// colour, movement, texture animation), its trail of recent positions for ribbons and up to three child
// effects. It is born by spawn, advanced by update, drawn by draw, and born again while lives remain.
class CParticleObject : public CFrame
{
public:
    // Rotation about one local axis.
    class CLocalRotate : public CObject
    {
    public:
        explicit CLocalRotate(CParticleObject* owner) : particle(owner) {}
        virtual void apply(const float* dt);
        // Only the plain rotation takes the definition's values at a spawn.
        virtual bool takesParameters() const { return true; }
        // 0 plain, 1 following the movement, 2 none (the saved state names the kind).
        virtual int32_t kind() const { return 0; }

        CParticleObject* particle;
        float angle = 0.0f;
        float velocity = 0.0f;
        float acceleration = 0.0f;
        float resist = 0.0f;
        float addResist = 0.0f;
        float initialAngle = 0.0f;
        float initialVelocity = 0.0f;
        float initialAcceleration = 0.0f;
        float initialResist = 0.0f;
        float elapsed = 0.0f;
        float duration = 0.0f;
    };
    // Turns the particle to its direction of travel (z axis only).
    class CVelocityLocalRotate : public CLocalRotate
    {
    public:
        using CLocalRotate::CLocalRotate;
        void apply(const float* dt) override;
        bool takesParameters() const override { return false; }
        int32_t kind() const override { return 1; }
    };
    class CNullLocalRotate : public CLocalRotate
    {
    public:
        using CLocalRotate::CLocalRotate;
        void apply(const float*) override {}
        bool takesParameters() const override { return false; }
        int32_t kind() const override { return 2; }
    };

    // The orbit: a radius per axis turned by an angle per axis.
    struct CGlobalRotate
    {
        Kavro::Vector3D radius;
        Keyed<Kavro::Vector3D> radiusKeys;
        Kavro::Vector3D angle;
        Kavro::Vector3D initialAngle;
        Kavro::Vector3D angularVelocity;
        Kavro::Vector3D initialAngularVelocity;
        Kavro::Vector3D angularAcceleration;
        Kavro::Vector3D initialAngularAcceleration;
        Kavro::Vector3D angularResist;
        Kavro::Vector3D initialAngularResist;
        Kavro::Vector3D angularAddResist;
        Kavro::Vector3D angularDuration;
        Kavro::Vector3D angularElapsed;
        Kavro::Vector3D angularStart;
        int32_t angularUseMiddle = 0;
        Kavro::Vector3D angularMiddle;
        Kavro::Vector3D angularMiddleTiming;
        int32_t angularMiddleTempo = 0;
        int32_t angularUseEnd = 0;
        Kavro::Vector3D angularEnd;
        int32_t angularEndTempo = 0;

        CGlobalRotate() { radiusKeys.middleTiming = 0.5f; }
        void apply(float dt);
        // The orbit's offset from the movement position.
        Kavro::Vector3D offset() const;
    };

    struct CScale
    {
        Kavro::Vector2D current{1.0f, 1.0f};
        Keyed<Kavro::Vector2D> keys;
        CScale() { keys.start = keys.middle = keys.end = {1.0f, 1.0f}; }
        void apply(const float* dt);
    };

    struct CColor
    {
        Kavro::Vector4D current{1.0f, 1.0f, 1.0f, 1.0f};
        Keyed<Kavro::Vector4D> keys;
        CColor() { keys.start = keys.middle = keys.end = {1.0f, 1.0f, 1.0f, 1.0f}; }
        void apply(float factor, const float* dt);
    };

    struct CMove
    {
        Kavro::Vector3D position;
        Kavro::Vector3D previousPosition;
        Kavro::Vector3D velocity;
        Kavro::Vector3D acceleration;
        Kavro::Vector3D resist;
        Kavro::Vector3D addResist;
        float gravity = 0.0f;
        float gravityBase = 0.0f;
        float gravityFactor = 1.0f;
        float gravityScale = 1.0f;
        Kavro::Vector3D direction;
        Keyed<Kavro::Vector3D> attract;
        float attractPower = 0.0f;
        void apply(const float* dt);
    };

    struct CAnime
    {
        CParticle* owner = nullptr;
        int32_t hasFrames = 0;
        float frameElapsed = 0.0f;
        int32_t sourceRect[4] = {};
        uint32_t frame = 0;
        int32_t enabled = 0;
        int32_t loop = 0;
        void apply(const float* dt);
    };

    struct TrailPoint
    {
        float time = 0.0f;
        Kavro::Vector3D position;
        Kavro::Vector4D width;
        Kavro::Vector4D colour;
    };

    CParticleObject(CParticle* owner, uint32_t index);
    ~CParticleObject() override;

    Kavro::Vector3D getWorldScale() override;
    int updateWorldMatrix() override;

    int spawn(const float* startAge);
    void setEmitPosition(const Kavro::Vector3D& p);
    int update(const float* dt);
    int step(const float* dt);
    int draw();

    // The particle's saved record (its fields, its rotations' values, its behaviours): 1 when written or
    // read whole, else 0. A load leaves the file at the record's end.
    int saveState(CFile& file);
    int loadState(CFile& file);

    CParticle* owner;
    uint32_t index;
    int32_t alive = 0;
    int32_t started = 0;
    float age = 0.0f;
    float life = 0.0f;
    int32_t repeatLimit = 0;
    int32_t repeatCount = 0;
    float startDelay = 0.0f;
    std::string startSoundName;
    int32_t startSoundLoop = 0;
    std::string endSoundName;
    int32_t endSoundLoop = 0;
    uint32_t textureIndex = uint32_t(-1);
    std::deque<TrailPoint> trail;
    int32_t shrinkTail = 0;
    int32_t fadeTail = 0;
    int32_t syncLifeTime = 0;
    CLocalRotate* rotateX = nullptr;
    CLocalRotate* rotateY = nullptr;
    CLocalRotate* rotateZ = nullptr;
    CGlobalRotate turn;
    CScale scale;
    CColor color;
    CMove move;
    Kavro::Vector3D position;
    Kavro::Vector3D previousPosition;
    int32_t captureOrigin = 0;
    Kavro::Vector3D origin;
    CAnime anime;
    CTimedNouniformSpline<Kavro::Vector3D> trailPositionCurve;
    CLinearTimeline<Kavro::Vector3D> trailWidthCurve;
    CLinearTimeline<Kavro::Vector3D> trailColorCurve;
    CLinearTimeline<float> trailAlphaCurve;
    CParticle* sameTimeChild = nullptr;
    CParticle* endlessChild = nullptr;
    CParticle* lostTimeChild = nullptr;

private:
    void spawnRotations();
    void spawnTurn();
    void spawnSize();
    void spawnMovement();
    void spawnColour();
    void spawnDirection();
    void spawnAnimation();
    void spawnChildren();
    void recordTrail();
    void drawRibbon();
    // Calls visit(address, size) for every saved value, in record order.
    template <class Visit> void visitState(Visit visit);
};

} // namespace Orvane::Particle
