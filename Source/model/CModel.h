#pragma once

#include "curve/CInterpolator.h"
#include "model/CModelBase.h"

#include <kavro/Vector2D.h>

#include <cstdint>
#include <map>
#include <string>

namespace Kavro
{
class IInterface;
class IModelAuxiliary;
} // namespace Kavro

namespace Kavro
{
struct ColorF;
}

namespace Orvane
{

class CModelMotionManager;
struct MaterialRecord;
class CModelTextureAnimationManager;

// The engine's 3D model: loads a model through the render device, shows an instance of it in the 3D
// scene, and drives that instance's motion layers, morph channels, extra meshes, texture animation,
// diffuse colour, physics reset and pose.
class CModel : public CModelBase
{
public:
    struct MorphChannel
    {
        std::string fromMorph;
        std::string toMorph;
        CInterpolator<float> weight;
        // Once set, the weight is handed to the scene model every frame.
        int32_t pushPending = 0;
    };

    explicit CModel(const std::string& name);
    ~CModel() override;

    int render() override;
    int advanceTime(const Kavro::Matrix4x4* matrix) override;
    // The local matrix when dirty, then the world matrix to the scene model and its frames posed.
    void updateTransform() override;
    void setTimeScale(float scale) override;

    virtual int setMotionLoopByIndex(int32_t motion, int32_t loop);
    virtual Kavro::IModelResource* getModelResource();
    virtual Kavro::ISceneModel* getSceneModel();
    virtual Kavro::ISceneFrame* findFrame(const char* name);
    // Null: -1 and nothing changes. Else takes over scene's reference in place of the old scene model.
    virtual int setSceneModel(Kavro::ISceneModel* scene);
    virtual int touchSceneModel(int32_t mode);
    // Null: -1 and nothing changes. Else holds res with a reference of its own and shows a new instance.
    virtual int setModelResource(Kavro::IModelResource* res);
    // -1, changing nothing, when the file does not load.
    virtual int loadModel(const std::string& path);
    virtual int loadMotion(const std::string& path);
    virtual int eraseMotion(const std::string& path);
    virtual int loadMesh(const std::string& path);
    virtual int loadMorph(const std::string& name, const std::string& file);
    // Name and file pairs from a CSV file; the rows before a bad row stay loaded.
    virtual int loadMorphList(const std::string& path);
    virtual int eraseMorph(const std::string& first, const std::string& second);
    virtual int clearAllMorphs();
    virtual int clearMorph(const std::string& name);
    // A fresh scene model of the same resource.
    virtual void remake();
    virtual void setMotionSpeed(const std::string& name, uint32_t speed);
    virtual void setMotionLoop(const std::string& name, int32_t loop);

    // Motion layers.
    virtual void setMotion(const std::string& name);
    virtual void addMotion(const std::string& name, int32_t durationMs);
    virtual void setStopAllMotion(int32_t stop);
    virtual int32_t getStopAllMotion();
    virtual void setLayerMotion(int32_t layer, const std::string& name);
    virtual void addLayerMotion(int32_t layer, const std::string& name, int32_t durationMs);
    virtual int changeLayerActiveMotionFrameTime(int32_t layer, const float& timeMs, const int32_t& keepBlend);
    virtual void setLayerActiveMotionIndex(int32_t layer, int32_t index);
    virtual int32_t getLayerActiveMotionIndex(int32_t layer);
    virtual float getLayerActiveMotionTimer(int32_t layer);
    virtual void setLayerActiveMotionTimer(int32_t layer, const float& ms);
    virtual void switchMotion(int32_t resetPhysics);

    // The file name without folders, cut at the first ".anm"; only '/' separates.
    virtual void getMotionName(const std::string& path, std::string& out);
    virtual float getMotionMaxFrameTimeByName(const std::string& name);
    virtual float getOriginalMotionSpeedByName(const std::string& name);
    virtual int32_t isMotionOver(int32_t layer);
    virtual int32_t isRemainMotion(int32_t layer);
    // 0 for a layer without a playing motion.
    virtual int32_t getLayerActiveMotionFrame(int32_t layer);
    virtual int32_t getLayerActiveMotionMaxFrame(int32_t layer);

    virtual int setMorph(const std::string& channel, const std::string& fromMorph, const std::string& toMorph);
    virtual void setMorphWeight(const std::string& channel, const float& weight, uint32_t durationMs, int32_t ease);
    virtual MorphChannel* getMorph(const std::string& channel);
    virtual void setAnimationColorUV(const std::string& firstName, const std::string& secondName,
                                     const Kavro::Vector2D& speed);
    virtual void setAnimationBumpUV(const std::string& firstName, const std::string& secondName,
                                    const Kavro::Vector2D& speed);
    virtual void setAnimationExtraUV(const std::string& firstName, const std::string& secondName,
                                     const Kavro::Vector2D& speed);
    virtual void setDiffuseColor(float r, float g, float b, int32_t flag);

    // Material settings, each handed to the scene model and then to the resource. Empty mesh and material
    // names mean all of them; an empty scope means the model's own meshes.
    // A file shorter than a record gives -1 and changes nothing; a longer one gives its first record.
    virtual int loadMaterial(const std::string& scope, const std::string& mesh, const std::string& material,
                             const std::string& path);
    virtual int setMaterialTable(const std::string& scope, const std::string& mesh, const std::string& material,
                                 const MaterialRecord* record);
    virtual int setMaterialVisible(const std::string& scope, const std::string& mesh, const std::string& material,
                                   int32_t visible);
    // 0 also when the resource reports failure.
    virtual int getMaterialVisible(const std::string& scope, const std::string& mesh, const std::string& material);
    virtual int setMaterialDiffuseColor(const std::string& scope, const std::string& mesh,
                                        const std::string& material, const Kavro::ColorF& color, int32_t value);
    // Resets every material of the resource and its UV scrolls, then shows a remade scene model.
    virtual void clearMaterial();
    virtual void resetPhysics(int32_t ignored);
    virtual void resetPose();

    void rebuildMotionNames();
    float getLayerActiveMotionFrameTime(int32_t layer);
    float getMorphTimer(const char* channel);
    void setMorphTimer(const char* channel, float ms);

    bool hasMotion(const std::string& name) const { return motionNames.count(name) != 0; }
    CModelMotionManager* getLayer(int32_t layer) const;
    const std::map<int32_t, CModelMotionManager*>& getLayers() const { return layers; }
    CModelTextureAnimationManager* getTextureAnimation() const { return textureAnimation; }
    const std::string& getModelPath() const { return modelPath; }

protected:
    CModelMotionManager* layerOrNew(int32_t layer);
    void releaseLayers(bool keepBase);
    void releaseAuxiliary();
    void installAuxiliary();

    std::string modelPath;
    std::map<std::string, std::string> motionNames;
    std::map<std::string, MorphChannel> morphChannels;
    std::map<int32_t, CModelMotionManager*> layers;
    CModelTextureAnimationManager* textureAnimation;
    Kavro::IModelAuxiliary* auxiliary = nullptr;
    Kavro::IInterface* auxiliaryHandle = nullptr;
    int32_t stopAllMotion = 0;
};

} // namespace Orvane
