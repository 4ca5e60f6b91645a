#pragma once

#include "CLine3D.h"
#include "IMaterialSettings.h"
#include "Matrix4x4.h"

namespace Kavro
{

class IModelAuxiliary;
class ISceneFrame;
class ISceneNode;

// A model resource's instance in the scene (ISceneManager::createSceneModel): world matrix, motions, morph
// weights, material state and physics switches. A new scene model starts from its resource's state with no
// motion playing and no morph channel set.
//
// Motions are addressed by index (findMotion; -1 is none, and any call with -1 or an unknown index is
// ignored). attachMotion and detachMotion keep a use count per motion; a detach without attach is ignored.
// Times are milliseconds; frames count at the motion's own rate (kavro/README.md).
class ISceneModel : public IMaterialSettings
{
public:
    virtual ISceneNode* getSceneNode() = 0;
    virtual int setWorldMatrix(const Matrix4x4& world) = 0;
    // Poses the frames from the motions and the world matrix; with physics nonzero the bodies coupled to
    // frames follow them.
    virtual int applyTransform(int physics) = 0;
    virtual int hasPendingUpdate() = 0;
    virtual int flushPendingUpdate(uint32_t flags) = 0;
    // The model's time scale; the milliseconds given to advanceMotion already carry it.
    virtual int setTimeScale(float scale) = 0;
    virtual int attachAuxiliary(IModelAuxiliary* auxiliary) = 0;

    virtual int getMotionCount() = 0;
    virtual int getMotionName(int motion, char* buffer, int size) = 0;
    // The index of the motion of that name, or -1.
    virtual int findMotion(const char* name) = 0;
    virtual int attachMotion(int motion) = 0;
    virtual int detachMotion(int motion) = 0;
    // Plays the motion from its first frame, blended in with the current blend rate.
    virtual int startMotion(int motion) = 0;
    virtual int resumeMotion(int motion) = 0;
    virtual int advanceMotion(int motion, float milliseconds) = 0;
    // Weight of the motion started next against the pose before it: 1.0 blends in, 0.0 replaces.
    virtual int setMotionBlendRate(float rate) = 0;
    virtual int setMotionFrameTime(int motion, float milliseconds) = 0;
    virtual int setMotionLoop(int motion, int loop) = 0;
    virtual int setMotionSpeed(int motion, float speed) = 0;
    // Nonzero when a motion that does not loop has reached its end.
    virtual int isMotionEnd(int motion) = 0;
    virtual int getMotionFrame(int motion) = 0;
    virtual float getMotionFrameTime(int motion, int flags) = 0;
    virtual float getMotionMaxFrameTime(int motion) = 0;
    virtual float getMotionOriginalSpeed(int motion) = 0;
    // Back to the rest pose; every attached motion stops.
    virtual int resetPose() = 0;

    // A morph channel blends target 0 (weight 0) into target 1 (weight 1).
    virtual int setMorph(const char* channel, int target, const char* morph) = 0;
    virtual int setMorphWeight(const char* channel, int from, int to, float weight) = 0;
    virtual int getMorphNum(const char* name) = 0;
    virtual int getMorphName(const char* name, int index, char* buffer, int size) = 0;
    virtual int setFaceEffect(const char* part, const char* effect, const float* value) = 0;

    // Texture-coordinate offsets (two floats) of the textures of material in mesh.
    virtual int setColorUVOffset(const char* mesh, const char* material, const float* offset) = 0;
    virtual int setBumpUVOffset(const char* mesh, const char* material, const float* offset) = 0;
    virtual int setExtraUVOffset(const char* mesh, const char* material, const float* offset) = 0;
    virtual int setMaterialFog(const char* mesh, const char* material, int enable) = 0;

    // The frame of that name in the model's resource (no reference added), or null.
    virtual ISceneFrame* findFrame(const char* name) = 0;

    // Nonzero when the line crosses the collision shape of that name.
    virtual int checkHitCollisionLine(const char* name, const CLine3D& line) = 0;
    // The nearest crossing of the line with any collision shape: its point into hit, its name into
    // (name, size); 0 when there is none.
    virtual int checkSortHitCollisionLine(Vector3D* hit, const CLine3D& line, char* name, int size) = 0;

    virtual int enablePhysics(int enable) = 0;
    virtual int setPhysicsKinematic(int kinematic) = 0;
    // Puts every coupled body back at its frame, at rest.
    virtual int resetPhysics() = 0;
};

} // namespace Kavro
