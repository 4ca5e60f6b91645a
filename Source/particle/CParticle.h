#pragma once

#include "core/CRenderingTaskObject.h"
#include "particle/CParticleParameter.h"

#include <kavro/CRandom.h>
#include <kavro/Matrix4x4.h>
#include <kavro/Vector3D.h>

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace Kavro
{
class ICamera;
class IParticleSceneObject;
class ISceneParticle;
class ITexture;
} // namespace Kavro

namespace Orvane
{

class CFile;
class CFont;
class CSound;

namespace Particle
{
class CParticleCollision;
class CParticleEmitter;
class CParticleObject;
} // namespace Particle

// One frame of a texture animation: how long it shows (ms) and its rectangle in texture pixels.
struct ParticleAnimationFrame
{
    float duration = 0.0f;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// A running particle effect built from a definition: its textures and their library particle objects, an
// emitter, a collision set, a fixed batch of particle objects that are born again and again, up to three
// child effects and the sounds it plays. Every random draw of the effect comes from its own generator, in a
// fixed order. The fields are open to the particle objects, the emitter, the collision set and the saved
// state, which all work on them.
class CParticle : public CRenderingTaskObject
{
public:
    // Which child slot: started with the emission, restarted whenever it ended, started at the end.
    enum ChildSlot
    {
        SameTimeSlot = 0,
        EndlessSlot = 1,
        LostTimeSlot = 2,
    };
    struct ChildEntry
    {
        Particle::CParticleParameter definition;
        CParticle* system = nullptr;
    };
    struct SoundCue
    {
        std::string name;
        int32_t loop = 0;
    };

    CParticle(const std::string& name, const Particle::CParticleParameter& definition);
    ~CParticle() override;

    // Builds everything from the definition: 0, or -1 with everything built so far released.
    virtual int create();

    int updateWorldMatrix() override;
    Kavro::Vector3D getWorldScale() override;
    int update() override;
    void setTask(CTask* newTask) override;
    // The draw pass: the projection step, then the scene objects (children first).
    int draw() override;
    int render() override;
    virtual int updateProjection();
    // (1, 1, 1) in world space, else the camera scale: what particle positions and sizes are multiplied by.
    Kavro::Vector3D getParticleScale() const;

    void reset();
    void startEmission();
    void stop();
    bool isAlive() const;
    void setAlpha(float value);
    void setTimeScale(float value);
    void setWorldSpace(int32_t value);
    // A pixel then covers what the camera shows at that distance (fieldOfView above 0 stands for its own).
    void setCamera(Kavro::ICamera* newCamera, float distance, float fieldOfView);
    void setSceneTexture(int32_t enable, int32_t width, int32_t height, const std::string& name);
    // Draws the scene objects of a running, visible system, its children first.
    void drawScene();

    int loadSound(const std::string& name);
    int playSound(const std::string& name, int32_t loop);
    void releaseSounds();
    // The sound of that file, null when the table has none.
    CSound* findSound(const std::string& name) const;

    int32_t pickTexture();
    float randomFloat(float a, float b);
    int32_t randomInt(int32_t a, int32_t b);
    bool randomBool();
    // Reseeds the generator (the seed field follows).
    void setSeed(uint32_t value);

    // The running state of the system, its particles and its children, nested: 1 when written or read
    // whole, else 0. A load rebuilds the particle pool to the saved count (at most the definition's
    // particle count) and needs the same number of children; it leaves the file at the record's end.
    int saveState(CFile& file);
    int loadState(CFile& file);
    // The most particles the definition asks for.
    int32_t particleBound() const;

    CParticle* createChild(const Particle::CParticleParameter& definition);
    int removeChild(CParticle* child);
    using CFrame::removeChild;

    // The font of glyph particles and the glyph code of a texture name with ':' (its sixth UTF-16 unit);
    // false for other names and for names too short to hold one.
    static bool glyphCode(const std::string& textureName, uint32_t& code);
    // Width and height of what the texture index shows: the glyph's for a glyph name, else the texture's.
    void textureRect(uint32_t textureIndex, int32_t rect[4]);

    int32_t worldSpace = 1;
    int32_t isRunning = 1;
    int32_t isEmitting = 0;
    int32_t hasLiveChildren = 0;
    Kavro::CRandom random;
    uint32_t seed = 0;
    Particle::CParticleParameter parameter;
    std::vector<Kavro::ITexture*> textures;
    std::vector<Kavro::ISceneParticle*> sceneParticles;
    std::vector<Kavro::IParticleSceneObject*> sceneObjects;
    std::deque<int32_t> texturesInUse;
    std::deque<int32_t> texturePool;
    int32_t releasedTexture = -1;
    Kavro::Matrix4x4 transform;
    float alpha = 1.0f;
    int32_t batchSize = 0;
    std::vector<Particle::CParticleObject*> particles;
    float elapsed = 0.0f;
    Particle::CParticleCollision* collision = nullptr;
    Particle::CParticleEmitter* emitter = nullptr;
    int32_t billboard = 0;
    Kavro::Matrix4x4 billboardMatrix;
    std::map<std::string, CSound*> sounds;
    SoundCue startSound;
    SoundCue endSound;
    Kavro::ICamera* camera = nullptr;
    Kavro::Vector3D pixelScale{1.0f, 1.0f, 1.0f};
    Kavro::Vector3D cameraScale{1.0f, 1.0f, 1.0f};
    float timeScale = 1.0f;
    std::vector<CParticle*> children;
    ChildEntry childSlots[3];
    float startDelay = 0.0f;
    float polylineTime = 500.0f;
    int32_t polylineCount = 0;
    CFont* font = nullptr;
    int32_t sceneTextureEnable = 0;
    int32_t sceneTextureWidth = 0;
    int32_t sceneTextureHeight = 0;
    std::string sceneTextureName;
    std::vector<ParticleAnimationFrame> animationFrames;
    // How deep below a top system this one is: a definition may name itself as its child.
    int32_t depth = 0;

private:
    bool takeFont();
    int budget(int32_t& maxCount);
    void loadAnimationFrames();
    int clampTextureCounts();
    void fillTextureQueues();
    int loadTexture(size_t index, int32_t maxCount);
    void releaseTexture(size_t index);
    void releaseParticles();
    void releaseChildren();
    void buildChildSlots();
    void failCreation();
    void rotateTextures();
    void updateBillboardMatrix();
    Kavro::Matrix4x4 viewProjection();
    void applySceneTexture(Kavro::ITexture* texture);
};

} // namespace Orvane
