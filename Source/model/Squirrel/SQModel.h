#pragma once

#include "core/CSceneObject.h"
#include "model/CModel.h"
#include "script/SquirrelObject.h"
#include "script/Squirrel/SQRenderer.h"

#include <kavro/ISceneModel.h>
#include <kavro/Vector3D.h>

#include <cstdint>

namespace Orvane::Squirrel
{

// The script class "SQModel": owns one model, drives its update and render from its own passes (the model
// leaves its task's lists and stays in the frame tree, the binding leaves the frame tree), and holds the
// model's scene model for the scene pass.
class SQModel : public SQRenderer<CModel>
{
public:
    explicit SQModel(const char* name);
    ~SQModel() override;

    CModel* getEngineObject() override { return engine; }
    CFrame* getFrame() override { return engine; }
    ISceneObject* getSceneObject() override { return &sceneHolder; }
    // The model's time step, also while erased.
    int update() override;
    // Shown only while not erased; the model hands its state to the library.
    int render() override;
    // Nothing in the 2D pass: the scene pass takes the holder's node.
    int draw() override;
    void setTimeScale(float scale) override;
    int32_t serialize(const char* fileObjectName) override;
    int32_t deserialize(const char* fileObjectName) override;

    // Hangs the model under the named object's frame (the task root for "" or an unknown name); a link that
    // would close a loop is refused and the model keeps its parent.
    void link(const char* name);

    int loadModel(const char* path);
    int loadEmotion(const char* path);
    void remake();
    int loadMesh(const char* path);
    void eraseMesh(const char* meshFile);
    void setMeshVisible(const char* meshFile, const char* meshName, int visible);
    void setMeshDrawToEnd(const char* meshFile, const char* meshName);
    int getMeshVisible(const char* meshFile, const char* meshName);
    const char* getModelName(const char* meshFile);
    int getMeshNum(const char* meshFile);
    const char* getMeshName(const char* meshFile, int index);

    int loadMorph(const char* name, const char* file);
    int loadMorphList(const char* path);
    int eraseMorph(const char* first, const char* second);
    int clearMorph(const char* name);
    int setMorph(const char* channel, const char* fromMorph, const char* toMorph);
    void setMorphWeight(const char* channel, float weight, int durationMs, int ease);
    float getMorphWeight(const char* channel);
    SquirrelObject getActiveMorphName(const char* channel);
    float getMorphTimer(const char* channel);
    void setMorphTimer(const char* channel, float ms);
    int getMorphNum(const char* name);
    const char* getMorphName(const char* name, int index);

    int loadMotion(const char* path);
    void eraseMotion(const char* path);
    void setMotion(const char* name);
    void addMotion(const char* name, int durationMs);
    void setLayerMotion(int layer, const char* name);
    void addLayerMotion(int layer, const char* name, int durationMs);
    int changeLayerActiveMotionFrameTime(int layer, float timeMs, int keepBlend);
    void setLayerActiveMotionIndex(int layer, int index);
    int getLayerActiveMotionIndex(int layer);
    void setLayerActiveMotionTimer(int layer, float ms);
    float getLayerActiveMotionTimer(int layer);
    float getLayerActiveMotionFrameTime(int layer);
    void setStopAllMotion(int stop);
    void switchMotion();
    void resetPose();
    int isMotionOver(int layer);
    int isRemainMotion(int layer);
    void setMotionSpeed(const char* name, int speed);
    void setMotionLoop(const char* name, int loop);
    float getMotionMaxFrameTimeByName(const char* name);
    float getOriginalMotionSpeedByName(const char* name);
    void waitMotion();

    void move(float x, float y, float z, int durationMs, int ease);
    void scale(float x, float y, float z, int durationMs, int ease);
    void rotate(float x, float y, float z, int durationMs, int ease);
    // x, y, z and 0.0 to SQMATH_RET_1..4.
    void getMove();
    void getScale();
    void getRotate();
    int isMoving();
    int isScaling();
    int isRotating();
    // Start and end amplitudes from SQMATH_V3_1_* and SQMATH_V3_2_*.
    void shake(int period, int mode, int duration, int amplitudeEasing, int swingEasing);
    void randomShake(int period, int mode, int duration, int amplitudeEasing, int swingEasing);
    void resetSpline();
    void setSpline(float x, float y, float z, int timeMs, float weight);
    void beginSpline(int durationMs, int ease);
    float getMoveTimer();
    float getScaleTimer();
    float getRotateTimer();
    float getSplineTimer();
    float getShakeTimer();
    void setMoveTimer(float ms);
    void setScaleTimer(float ms);
    void setRotateTimer(float ms);
    void setSplineTimer(float ms);
    void setShakeTimer(float ms);

    void setAnimationColorUV(const char* firstName, const char* secondName, float u, float v);
    void setAnimationBumpUV(const char* firstName, const char* secondName, float u, float v);
    void setDiffuseColor(float r, float g, float b, int flag);
    int checkHitCollisionLine(const char* name, float x1, float y1, float z1, float x2, float y2, float z2);
    const char* checkSortHitCollisionLine(Kavro::Vector3D& hit, Kavro::Vector3D& from, Kavro::Vector3D& to);
    int checkHitCollisionPoint(const char* name, float x, float y, float z);

    int loadMaterial(const char* scope, const char* mesh, const char* material, const char* file);
    // A zeroed record filled from the table.
    int setMaterialTable(const char* scope, const char* mesh, const char* material, SquirrelObject table);
    int setMaterialVisible(const char* scope, const char* mesh, const char* material, int visible);
    int getMaterialVisible(const char* scope, const char* mesh, const char* material);
    int setMaterialDiffuseColor(const char* scope, const char* mesh, const char* material, float r, float g, float b,
                                int value);
    void clearMaterial();
    // An empty meshFile asks the model's own meshes.
    int getMaterialNum(const char* meshFile, const char* meshName);
    const char* getMaterialName(const char* meshFile, const char* meshName, int index);

    int exportPhysicsSetting(const char* rootFrameName, const char* path);
    // An empty group is none.
    int importPhysicsSetting(const char* path, const char* group, int worldId);
    void erasePhysicsObject(const char* group);
    void enablePhysics(int on);
    void physicsKinematic(int on);
    void resetPhysics();

    static void registerClass();

    CSceneObject<Kavro::ISceneModel> sceneHolder;

protected:
    // Takes over model's reference (a new plain model when null).
    SQModel(const char* name, CModel* model);

private:
    // The holder takes the model's present scene model.
    void refreshHolder();
    // The scene model of a loaded model, else null.
    Kavro::ISceneModel* loadedScene() const;
    // Seeks an interpolator of a loaded model to ms and marks the transform dirty.
    void setTransformTimer(CInterpolator<Kavro::Vector3D>& value, float ms);
    float transformTimer(const CInterpolator<Kavro::Vector3D>& value) const;
    // A scale or rotate request: the ease starts; with 0 ms it takes effect within the call.
    void easeTransform(CInterpolator<Kavro::Vector3D>& value, const Kavro::Vector3D& to, int durationMs, int ease);

    char hitName[256];
    // What the name queries answer points here until the next query.
    char textBuffer[128] = {};
};

} // namespace Orvane::Squirrel
