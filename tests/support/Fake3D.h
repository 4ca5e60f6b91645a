#pragma once

#include "support/FakeRegistry.h"

#include <kavro/ICamera.h>
#include <kavro/IModelAuxiliary.h>
#include <kavro/IModelResource.h>
#include <kavro/IMovie.h>
#include <kavro/IPointLight.h>
#include <kavro/ISceneFrame.h>
#include <kavro/ISceneModel.h>
#include <kavro/ISceneNode.h>
#include <kavro/IScenePointLight.h>
#include <kavro/ISceneSprite.h>
#include <kavro/ISprite3D.h>

#include <map>
#include <string>
#include <vector>

namespace Kavro
{
class ITexture;
}

namespace OrvaneTest
{

class Fake3D;

// Text forms of the material blocks (their fields in order; textures by file name).
std::string Text(const Kavro::DiffuseMapParam* p);
std::string Text(const Kavro::SpecularMapParam* p);
std::string Text(const Kavro::NormalMapParam* p);
std::string Text(const Kavro::ReflectionMapParam* p);
std::string Text(const Kavro::DiffuseColorParam* p);
std::string Text(const Kavro::AmbientColorParam* p);
std::string Text(const Kavro::EmissiveColorParam* p);
std::string Text(const Kavro::SpecularColorParam* p);
std::string Text(const Kavro::HemisphereLightParam* p);
std::string Text(const Kavro::RimLightParam* p);
std::string Text(const Kavro::ShadowParam* p);
std::string Text(const Kavro::ToonParam* p);
std::string Text(const Kavro::ColorF& c);

// Logs the material operations of a model resource or scene model, names as Text (null shown as null).
template <typename Interface> class MaterialRecorder : public CountedFake<Interface>
{
public:
    using CountedFake<Interface>::CountedFake;

    // What every setter answers.
    int materialResult = 0;

#define ORVANE_FAKE_MATERIAL(op, Param)                                                                       \
    int op(const char* mesh, const char* material, const Kavro::Param* param) override                        \
    {                                                                                                          \
        this->call(#op, Text(mesh), Text(material), Text(param));                                              \
        return materialResult;                                                                                 \
    }
    ORVANE_FAKE_MATERIAL(setMaterialDiffuseMap, DiffuseMapParam)
    ORVANE_FAKE_MATERIAL(setMaterialSpecularMap, SpecularMapParam)
    ORVANE_FAKE_MATERIAL(setMaterialNormalMap, NormalMapParam)
    ORVANE_FAKE_MATERIAL(setMaterialReflectionMap, ReflectionMapParam)
    ORVANE_FAKE_MATERIAL(setMaterialDiffuseColor, DiffuseColorParam)
    ORVANE_FAKE_MATERIAL(setMaterialAmbientColor, AmbientColorParam)
    ORVANE_FAKE_MATERIAL(setMaterialEmissiveColor, EmissiveColorParam)
    ORVANE_FAKE_MATERIAL(setMaterialSpecularColor, SpecularColorParam)
    ORVANE_FAKE_MATERIAL(setMaterialHemisphereLight, HemisphereLightParam)
    ORVANE_FAKE_MATERIAL(setMaterialRimLight, RimLightParam)
    ORVANE_FAKE_MATERIAL(setMaterialShadow, ShadowParam)
    ORVANE_FAKE_MATERIAL(setMaterialToon, ToonParam)
#undef ORVANE_FAKE_MATERIAL

#define ORVANE_FAKE_MATERIAL_INT(op)                                                                          \
    int op(const char* mesh, const char* material, int value) override                                        \
    {                                                                                                          \
        this->call(#op, Text(mesh), Text(material), value);                                                    \
        return materialResult;                                                                                 \
    }
    ORVANE_FAKE_MATERIAL_INT(setMaterialVisible)
    ORVANE_FAKE_MATERIAL_INT(setMaterialZWrite)
    ORVANE_FAKE_MATERIAL_INT(setMaterialAlphaTest)
    ORVANE_FAKE_MATERIAL_INT(setMaterialBlendMode)
    ORVANE_FAKE_MATERIAL_INT(setMaterialCullMode)
    ORVANE_FAKE_MATERIAL_INT(setFileMeshVisible)
#undef ORVANE_FAKE_MATERIAL_INT

    int setMaterialVisibleIn(const char* scope, const char* mesh, const char* material, int visible) override
    {
        this->call("setMaterialVisibleIn", Text(scope), Text(mesh), Text(material), visible);
        return materialResult;
    }
    int setMaterialDiffuseColorIn(const char* scope, const char* mesh, const char* material,
                                  const Kavro::DiffuseColorParam* param) override
    {
        this->call("setMaterialDiffuseColorIn", Text(scope), Text(mesh), Text(material), Text(param));
        return materialResult;
    }
    int setMeshMaterialFlag(const char* mesh, int flag) override
    {
        this->call("setMeshMaterialFlag", Text(mesh), flag);
        return materialResult;
    }
    int setMeshDrawToEnd(const char* file, const char* mesh) override
    {
        this->call("setMeshDrawToEnd", Text(file), Text(mesh));
        return materialResult;
    }
};

// A frame of a fake model resource; the resource owns it (one reference, let go when the resource goes).
// Label "<resource label>/<frame name>".
class RecordingSceneFrame : public CountedFake<Kavro::ISceneFrame>
{
public:
    RecordingSceneFrame(Fake3D& fake, const std::string& label, std::string name);

    int getName(char* buffer, int size) override;
    Kavro::Matrix4x4 getMatrix() override;
    Kavro::Matrix4x4 getWorldMatrix() override;
    Kavro::Matrix4x4 getRestMatrix() override;
    int setWorldMatrix(const Kavro::Matrix4x4& world, const Kavro::Matrix4x4& combined, int propagate) override;
    Kavro::ISceneFrame* getParent() override;
    int getChildCount() override;
    Kavro::ISceneFrame* getChild(int index) override;
    const char* getChildName(int index) override;
    // Holds a reference to the body, given back on detach and when the resource goes.
    int attachRigidBody(Kavro::IPhysicsRigidBody* body, int flag1, int flag2, int flag3) override;
    int attachRigidBodyWithMatrix(Kavro::IPhysicsRigidBody* body, const Kavro::Matrix4x4& matrix, int flag1,
                                  int flag2, int flag3) override;
    Kavro::IPhysicsRigidBody* getRigidBody() override;
    Kavro::Matrix4x4 getRigidBodyMatrix() override;
    uint32_t getRigidBodyFlag1() override;
    uint32_t getRigidBodyFlag2() override;
    uint32_t getRigidBodyFlag3() override;

    // Its resource lets go of it: parent and children forgotten, body released.
    void orphan();

    std::string name;
    Kavro::Matrix4x4 matrix, world, rest;
    RecordingSceneFrame* parent = nullptr;
    std::vector<RecordingSceneFrame*> children;
    Kavro::IPhysicsRigidBody* body = nullptr;
    Kavro::Matrix4x4 bodyMatrix;
    uint32_t flags[3] = {};
};

// The frame tree, motions, meshes and morphs a loaded fake model starts with.
struct FakeFrameSpec
{
    std::string name;
    Kavro::Matrix4x4 matrix;
    Kavro::Matrix4x4 world;
    Kavro::Matrix4x4 rest;
    std::vector<FakeFrameSpec> children;
};

struct FakeMotionSpec
{
    std::string name;
    float maxFrameTime = 0.0f;
    float originalSpeed = 1.0f;
};

struct FakeModelSpec
{
    // Frames (the roots of the tree).
    std::vector<FakeFrameSpec> frames;
    std::vector<FakeMotionSpec> motions;
    // Mesh names with their material names.
    std::vector<std::pair<std::string, std::vector<std::string>>> meshes;
    // Morph names by morph-set name.
    std::map<std::string, std::vector<std::string>> morphs;
    int needsAuxiliary = 0;
};

// Model resource ("model<n>"). Queries answer from its spec; loadMotion adds a motion named by the path's
// file name without extension (a path listed in failingMotions answers -1).
class RecordingModelResource : public MaterialRecorder<Kavro::IModelResource>
{
public:
    RecordingModelResource(Fake3D& fake, const std::string& label, const FakeModelSpec& spec);

    int addMesh(Kavro::IModelResource* other) override;
    int eraseMesh(const char* file, const char* mesh) override;
    int setMeshVisible(const char* mesh, int visible) override;
    int getMeshVisible(const char* file, const char* mesh) override;
    int getModelName(const char* file, char* buffer, int size) override;
    int getMeshCount() override;
    int getMeshName(int index, char* buffer, int size) override;
    int getFileMeshCount(const char* file) override;
    int getFileMeshName(const char* file, int index, char* buffer, int size) override;
    int getMaterialCount(const char* mesh) override;
    int getMaterialName(const char* mesh, int index, char* buffer, int size) override;
    int getFileMaterialCount(const char* file, const char* mesh) override;
    int getFileMaterialName(const char* file, const char* mesh, int index, char* buffer, int size) override;
    int getMaterialVisible(const char* scope, const char* mesh, const char* material, int* out) override;
    int loadMotion(const char* path) override;
    int eraseMotion(const char* name) override;
    int loadMorph(int kind, const char* name, const char* file) override;
    int eraseMorph(const char* name, const char* target) override;
    int clearMorph(const char* name) override;
    Kavro::ISceneFrame* findFrame(const char* name) override;
    int needsAuxiliary() override;

    // Answers set by the test.
    FakeModelSpec spec;
    std::vector<std::string> failingMotions;
    int meshVisible = 1;
    int materialVisible = 1;
    int materialVisibleResult = 0;
    int loadMorphResult = 0;
    // Every frame, depth first.
    std::vector<RecordingSceneFrame*> frames;

protected:
    void lastReleased() override;

private:
    Fake3D& fake_;
};

// Scene model ("sceneModel<n>"): logs every operation. Motions come from its resource when it was made;
// attach counts follow the contract (index -1, unknown indices and detaches without attach are ignored).
class RecordingSceneModel : public MaterialRecorder<Kavro::ISceneModel>
{
public:
    RecordingSceneModel(Fake3D& fake, const std::string& label, RecordingModelResource* resource);

    Kavro::ISceneNode* getSceneNode() override;
    int setWorldMatrix(const Kavro::Matrix4x4& world) override;
    int applyTransform(int physics) override;
    int hasPendingUpdate() override;
    int flushPendingUpdate(uint32_t flags) override;
    int setTimeScale(float scale) override;
    int attachAuxiliary(Kavro::IModelAuxiliary* auxiliary) override;
    int getMotionCount() override;
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
    Kavro::ISceneFrame* findFrame(const char* name) override;
    int checkHitCollisionLine(const char* name, const Kavro::CLine3D& line) override;
    int checkSortHitCollisionLine(Kavro::Vector3D* hit, const Kavro::CLine3D& line, char* name, int size) override;
    int enablePhysics(int enable) override;
    int setPhysicsKinematic(int kinematic) override;
    int resetPhysics() override;

    // The motion's attach count (0 for unknown indices).
    int attachCount(int motion) const;

    RecordingModelResource* resource; // not counted
    std::vector<FakeMotionSpec> motions;
    // Answers set by the test: motions that report their end; frame times; morph results.
    std::map<int, int> motionEnds;
    std::map<int, float> frameTimes;
    std::map<int, int> motionFrames;
    int pendingUpdate = 0;
    int setMorphResult = 0;
    int hitLineResult = 0;
    // What checkSortHitCollisionLine answers when hitName is not empty.
    Kavro::Vector3D hitPoint;
    std::string hitName;
    FakeSceneNode node{this};

private:
    bool knownMotion(int motion) const { return motion >= 0 && motion < int(motions.size()); }
    std::map<int, int> attached_;
};

// Auxiliary resource ("auxiliary<n>") and the handle the scene gives for it ("auxiliaryHandle<n>").
class RecordingModelAuxiliary : public CountedFake<Kavro::IModelAuxiliary>
{
public:
    RecordingModelAuxiliary(Fake3D& fake, const std::string& label, int size);
    int prepare() override;
    int commit() override;
    int size;
};

class RecordingHandle : public CountedFake<Kavro::IInterface>
{
public:
    using CountedFake::CountedFake;
};

// 3D sprite ("sprite3D<n>"): logs begin, drawQuad (matrix, size, colour bytes, source) and end.
class RecordingSprite3D : public CountedFake<Kavro::ISprite3D>
{
public:
    RecordingSprite3D(Fake3D& fake, const std::string& label, int count, Kavro::ITexture* texture);
    int begin(const int& mode, const int& reserved) override;
    int drawQuad(const Kavro::Matrix4x4& transform, const Kavro::Vector2D& size, const uint8_t (&colour)[4],
                 const Kavro::Vector4D& source) override;
    int end() override;
    Kavro::ITexture* getTexture() override;
    Kavro::ITexture* texture; // not counted
};

// Scene sprite ("sceneSprite<n>").
class RecordingSceneSprite : public CountedFake<Kavro::ISceneSprite>
{
public:
    RecordingSceneSprite(Fake3D& fake, const std::string& label);
    Kavro::ISceneNode* getSceneNode() override;
    int setWorldMatrix(const Kavro::Matrix4x4& world) override;
    int setBlendMode(int mode) override;
    int setOption(int option) override;
    int setFlagPair(const int& depthTest, const int& depthWrite) override;
    int setFlag(const int& flag) override;
    FakeSceneNode node{this};
};

// Point-light resource ("pointLight<n>") and scene light ("sceneLight<n>"; getters answer what was set).
class RecordingPointLight : public CountedFake<Kavro::IPointLight>
{
public:
    using CountedFake::CountedFake;
};

class RecordingScenePointLight : public CountedFake<Kavro::IScenePointLight>
{
public:
    using CountedFake::CountedFake;
    int initialize(const Kavro::Vector3D& position, const float& power, const Kavro::Vector4D& colour,
                   const float& size, const float& nearAttenuation, const float& farAttenuation) override;
    Kavro::ISceneNode* getSceneNode() override;
    int setPosition(const Kavro::Vector3D& position) override;
    int setColor(const Kavro::Vector4D& colour) override;
    int setPower(float power) override;
    int setRotate(const Kavro::Vector3D& degrees) override;
    int setSize(float size) override;
    int setRange(float range) override;
    int setLookAt(const Kavro::Vector3D& target) override;
    Kavro::Vector3D getLookAt() override;
    int setEnable(int enable) override;
    int getEnable() override;
    int setNearAttenuation(float value) override;
    int setFarAttenuation(float value) override;
    float getNearAttenuation() override;
    float getFarAttenuation() override;

    Kavro::Vector3D lookAt;
    int enable = 1;
    float nearAttenuation = 0.0f, farAttenuation = 0.0f;
    FakeSceneNode node{this};
};

// Camera ("camera<n>"): logs the setters; getters answer what was set (getMatrix the matrix set by a test).
class RecordingCamera : public CountedFake<Kavro::ICamera>
{
public:
    using CountedFake::CountedFake;
    Kavro::Vector3D getEye() override { return eye; }
    Kavro::Vector3D getTarget() override { return target; }
    Kavro::Vector3D getUp() override { return up; }
    int getProjection() override { return projection; }
    float getFieldOfView() override { return fov; }
    float getNear() override { return zNear; }
    float getFar() override { return zFar; }
    int setPerspective(float fovRadians, float aspect, float zNear, float zFar) override;
    int setOrtho(float width, float height, float zNear, float zFar) override;
    int setLookAt(const Kavro::Vector3D& eye, const Kavro::Vector3D& target, const Kavro::Vector3D& up) override;
    int update() override;
    Kavro::Matrix4x4 getMatrix() override;
    float getFov() override;
    const float* getAspect() override;
    Kavro::Vector3D getPosition() override;

    Kavro::Vector3D eye, target, up{0.0f, 1.0f, 0.0f};
    int projection = 0;
    float fov = 45.0f, aspect = 16.0f / 9.0f, zNear = 1.0f, zFar = 10000.0f;
    Kavro::Matrix4x4 matrix;
};

// Movie ("movie<n>"): logs every command; playing and paused follow play, pause, resume and stop.
class RecordingMovie : public CountedFake<Kavro::IMovie>
{
public:
    using CountedFake::CountedFake;
    int open(const char* name, int flags) override;
    int play(int loops) override;
    int setLoop(int loops) override;
    int stop() override;
    int pause() override;
    int resume() override;
    int seek(int milliseconds) override;
    int updateFrame(Kavro::ITexture* texture) override;
    int setTexture(Kavro::ITexture* texture) override;
    int getWidth() override;
    int getHeight() override;
    int isPlaying() override;
    int isPaused() override;
    int setVolume(float volume) override;
    int setSpeed(float speed) override;
    int getDuration() override;
    int getPosition() override;
    int getRemainTime() override;

    int openResult = 0;
    int width = 320, height = 240;
    int duration = 10000, position = 0;
    int playing = 0, paused = 0;
};

// What a test scripts for the 3D fakes, and everything the fakes made, oldest first. The registry checks
// every fake made here when the test ends.
class Fake3D
{
public:
    explicit Fake3D(CallLog& log);
    ~Fake3D();

    // Makers behind the recording render device, scene manager and core. Each logs "device.<op>(...)",
    // "scene.<op>(...)" or "core.<op>(...)" and answers null when its switch is set.
    Kavro::IModelResource* loadModel(const char* path);
    Kavro::ISprite3D* createSprite3D(int count, Kavro::ITexture* texture);
    Kavro::ICamera* createCamera();
    Kavro::IPointLight* createPointLight();
    Kavro::IModelAuxiliary* createModelAuxiliary(int size);
    Kavro::ISceneModel* createSceneModel(Kavro::IModelResource* resource);
    Kavro::ISceneSprite* addSprite3D(Kavro::ISprite3D* sprite);
    Kavro::IScenePointLight* createScenePointLight(Kavro::IPointLight* light);
    Kavro::IInterface* addModelAuxiliary(Kavro::IModelAuxiliary* auxiliary);
    Kavro::IMovie* openMovie();
    // The scene camera: the scene holds a reference (let go when this goes); getCamera adds one.
    Kavro::ICamera* getCamera();
    int setCamera(Kavro::ICamera* camera);
    // Logs the node's owner, reporting an owner already released.
    int addSceneNode(Kavro::ISceneNode* node);
    // The label a new fake of that kind gets: kind + a number counting from 1.
    std::string nextLabel(const std::string& kind);

    CallLog& log;
    FakeRegistry registry;
    // loadModel answers a new resource for a listed path, null for any other.
    std::map<std::string, FakeModelSpec> models;
    bool noSceneModel = false, noSprite3D = false, noSceneSprite = false, noCamera = false, noPointLight = false,
         noScenePointLight = false, noAuxiliary = false, noMovie = false;
    // Fields a new movie starts with.
    int movieOpenResult = 0, movieWidth = 320, movieHeight = 240, movieDuration = 10000;

    std::vector<RecordingModelResource*> resources;
    std::vector<RecordingSceneModel*> sceneModels;
    std::vector<RecordingSprite3D*> sprites3D;
    std::vector<RecordingSceneSprite*> sceneSprites;
    std::vector<RecordingCamera*> cameras;
    std::vector<RecordingPointLight*> pointLights;
    std::vector<RecordingScenePointLight*> sceneLights;
    std::vector<RecordingModelAuxiliary*> auxiliaries;
    std::vector<RecordingMovie*> movies;

private:
    Kavro::ICamera* sceneCamera_ = nullptr;
    std::map<std::string, int> counters_;
};

} // namespace OrvaneTest
