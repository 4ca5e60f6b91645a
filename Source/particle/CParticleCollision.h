#pragma once

#include "core/CObject.h"

#include <kavro/Vector3D.h>

#include <cstdint>
#include <string>

namespace Orvane
{
class CParticle;
}

namespace Orvane::Particle
{

// The shapes that keep a system's particles within bounds: a ground plane, a box and a sphere about the
// origin, in the particles' movement space. A touched shape plays its touch sound and answers how the
// particle responds.
class CParticleCollision : public CObject
{
public:
    // What a test answers.
    enum TouchResponse : uint32_t
    {
        None = 0,
        Vanish = 1,
        Bounce = 2,
        Wrap = 3,
    };

    // The particle's movement state, changed in place by a response.
    struct Motion
    {
        Kavro::Vector3D& position;
        Kavro::Vector3D& previousPosition;
        Kavro::Vector3D& velocity;
        Kavro::Vector3D& direction;
    };

    class CGround : public CObject
    {
    public:
        explicit CGround(CParticle* owner) : owner(owner) {}
        int setup();
        uint32_t test(Motion& motion);

        CParticle* owner;
        uint32_t enabled = 0;
        float height = 0.0f;
        float restitution = 0.0f;
        uint32_t response = None;
        std::string touchSound;
    };

    class CBox : public CObject
    {
    public:
        enum FaceIndex
        {
            Left,
            Right,
            Top,
            Bottom,
            Front,
            Back,
            FaceCount
        };
        struct Face
        {
            uint32_t enabled = 0;
            float value = 0.0f;
            float restitution = 0.0f;
            uint32_t response = None;
            std::string touchSound;
        };

        explicit CBox(CParticle* owner) : owner(owner) {}
        int setup();
        uint32_t test(Motion& motion);

        CParticle* owner;
        uint32_t enabled = 0;
        Face faces[FaceCount];
    };

    class CSphere : public CObject
    {
    public:
        explicit CSphere(CParticle* owner) : owner(owner) {}
        int setup();
        uint32_t test(Motion& motion);

        CParticle* owner;
        uint32_t enabled = 0;
        float radius = 0.0f;
        float restitution = 0.0f;
        uint32_t response = None;
        std::string touchSound;
    };

    explicit CParticleCollision(CParticle* owner) : owner(owner) {}
    ~CParticleCollision() override;

    // Builds the three shapes from the owner's definition; 0, or -1 when one fails.
    int setup();
    // The response of the first shape that answers one, else 0.
    uint32_t test(Kavro::Vector3D& position, Kavro::Vector3D& previousPosition, Kavro::Vector3D& velocity,
                  Kavro::Vector3D& direction);

    CParticle* owner;
    uint32_t enabled = 0;
    CGround* ground = nullptr;
    CBox* box = nullptr;
    CSphere* sphere = nullptr;

private:
    void releaseShapes();
};

} // namespace Orvane::Particle
