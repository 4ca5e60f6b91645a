#pragma once

#include "scene/CMaterialSettings.h"
#include "scene/CModelResource.h"
#include "scene/MotionSampling.h"
#include "scene/SceneDrawable.h"

#include <kavro/IPhysicsRigidBody.h>
#include <kavro/ISceneModel.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Kavro
{

class CSceneManager;

// A model resource's instance in the scene: plays its motions, poses its frames, blends morph channels,
// keeps its own material state and couples rigid bodies to frames. kavro/README.md gives the meanings.
class CSceneModel : public CMaterialSettings<ISceneModel>, public SceneDrawable
{
public:
    // Registers with scene as one of its drawables while it lives.
    CSceneModel(CSceneManager* scene, CModelResource* resource);
    ~CSceneModel() override;

    ISceneNode* getSceneNode() override { return static_cast<SceneDrawable*>(this); }
    void submit(CSceneRenderer& renderer) override;
    int setWorldMatrix(const Matrix4x4& world) override;
    int applyTransform(int physics) override;
    int hasPendingUpdate() override { return pending_ ? 1 : 0; }
    int flushPendingUpdate(uint32_t flags) override;
    int setTimeScale(float scale) override;
    int attachAuxiliary(IModelAuxiliary*) override { return 0; }

    int getMotionCount() override { return int(resource_->motions().size()); }
    int getMotionName(int motion, char* buffer, int size) override;
    int findMotion(const char* name) override;
    int attachMotion(int motion) override;
    int detachMotion(int motion) override;
    int startMotion(int motion) override;
    int resumeMotion(int motion) override;
    int advanceMotion(int motion, float milliseconds) override;
    int setMotionBlendRate(float rate) override;
    int setMotionFrameTime(int motion, float milliseconds) override;
    int setMotionLoop(int motion, int loop) override;
    int setMotionSpeed(int motion, float speed) override;
    int isMotionEnd(int motion) override;
    int getMotionFrame(int motion) override;
    float getMotionFrameTime(int motion, int flags) override;
    float getMotionMaxFrameTime(int motion) override;
    float getMotionOriginalSpeed(int motion) override;
    int resetPose() override;

    int setMorph(const char* channel, int target, const char* morph) override;
    int setMorphWeight(const char* channel, int from, int to, float weight) override;
    int getMorphNum(const char* name) override;
    int getMorphName(const char* name, int index, char* buffer, int size) override;
    int setFaceEffect(const char* part, const char* effect, const float* value) override;
    int setColorUVOffset(const char* mesh, const char* material, const float* offset) override;
    int setBumpUVOffset(const char* mesh, const char* material, const float* offset) override;
    int setExtraUVOffset(const char* mesh, const char* material, const float* offset) override;
    int setMaterialFog(const char* mesh, const char* material, int enable) override;
    int setMeshMaterialFlag(const char* mesh, int flag) override;
    int setFileMeshVisible(const char* file, const char* mesh, int visible) override;
    int setMeshDrawToEnd(const char* file, const char* mesh) override;

    ISceneFrame* findFrame(const char* name) override { return resource_->findFrame(name); }
    int checkHitCollisionLine(const char* name, const CLine3D& line) override;
    int checkSortHitCollisionLine(Vector3D* hit, const CLine3D& line, char* name, int size) override;

    int enablePhysics(int enable) override;
    int setPhysicsKinematic(int kinematic) override;
    int resetPhysics() override;

    // The meshes as they are drawn now, in drawing order: frames' current world matrices (so a frame turned
    // after posing is drawn turned), morph weights, this model's material state.
    std::vector<PosedMesh> posedMeshes();
    // Time a motion started with blend rate 1 takes to fade in.
    static constexpr float CrossFadeMilliseconds = 200.0f;

private:
    struct MotionState
    {
        std::shared_ptr<const NamedMotion> motion;
        int attached = 0;
        bool playing = false;
        bool loop = false;
        float frame = 0.0f;
        float speed = 0.0f; // frames per second
        uint64_t order = 0; // start order: later motions override earlier ones
        float fadeMs = 0.0f, fadeLength = 0.0f;
        std::vector<FramePose> from; // the pose when it started, faded out of
        std::vector<int> trackFrames; // per track: the frame it moves, or -1
    };
    struct MeshState
    {
        bool visible = true;
        uint64_t drawToEnd = 0;
        int materialFlag = 0;
        std::vector<MaterialState> materials;
    };
    struct Channel
    {
        std::string targets[2];
        float weight = 0.0f;
    };
    struct FaceEffect
    {
        std::string effect;
        float value = 0.0f;
    };

    MotionState* state(int motion);
    float lastFrame(const MotionState& s) const { return float(s.motion->clip.frameCount - 1); }
    int visitMaterials(const char* scope, const char* mesh, const char* material, const Visit& visit) override;
    MeshState& meshState(const ModelMesh& mesh);
    bool hasMorph(const char* name) const;
    void poseFrames(bool physics);
    void driveBodies(const std::vector<Matrix4x4>& world);
    std::vector<float> morphWeights(const ModelMesh& mesh) const;
    // Nearest crossing of the segment with the posed triangles of meshes named name (null: all), as a
    // fraction of the segment; the mesh's name into hitMesh.
    std::optional<float> hitLine(const char* name, const CLine3D& line, std::string* hitMesh);

    Ref<CSceneManager> scene_;
    Ref<CModelResource> resource_;
    Matrix4x4 world_;
    float timeScale_ = 1.0f;
    bool pending_ = true;
    float blendRate_ = 0.0f;
    uint64_t nextOrder_ = 1;
    std::vector<MotionState> motions_;
    std::vector<FramePose> restPose_;
    std::vector<FramePose> pose_;
    std::vector<bool> animated_;
    // Working space of posing, kept between calls.
    std::vector<const MotionState*> playing_;
    std::vector<Matrix4x4> frameWorld_;
    std::map<uint32_t, MeshState> meshes_;
    std::map<std::string, Channel> channels_;
    std::map<std::string, FaceEffect> faceEffects_;
    bool physicsEnabled_ = false;
    bool kinematic_ = false;
    // Per frame: the body last told whether its frame drives it (setEnableControler), and what it was told
    // (not counted: only compared, and forgotten once the frame holds no body).
    std::vector<std::pair<const IPhysicsRigidBody*, bool>> controlled_;
};

} // namespace Kavro
