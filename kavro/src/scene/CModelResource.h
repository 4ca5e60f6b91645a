#pragma once

#include "scene/CMaterialSettings.h"
#include "scene/CSceneFrame.h"
#include "scene/GltfModelReader.h"

#include <kavro/IModelResource.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Kavro
{

// A loaded model: frames, skins, meshes with their materials (the defaults a new scene model starts from),
// morph targets and motions. Meshes are shared with the scene models and the renderer; a change to a
// mesh's geometry (a morph loaded) replaces the mesh by a changed copy with the same id.
class CModelResource : public CMaterialSettings<IModelResource>
{
public:
    // Makes a texture from an image file's bytes (null when it does not decode).
    using TextureMaker = std::function<Ref<ITexture>(const std::vector<uint8_t>& encoded, const std::string& name)>;

    // Null when the file cannot be read or is broken. readFile reads the model, its motion and morph files
    // and anything the model refers to; makeTexture may be empty (no textures).
    static CModelResource* load(const std::string& path, ModelFileReader readFile, TextureMaker makeTexture);
    ~CModelResource() override;

    int addMesh(IModelResource* other) override;
    int eraseMesh(const char* file, const char* mesh) override;
    int setMeshVisible(const char* mesh, int visible) override;
    int getMeshVisible(const char* file, const char* mesh) override;
    int getModelName(const char* file, char* buffer, int size) override;
    int getMeshCount() override { return int(meshes_.size()); }
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
    ISceneFrame* findFrame(const char* name) override;
    int needsAuxiliary() override { return 0; }
    int setMeshMaterialFlag(const char* mesh, int flag) override;
    int setFileMeshVisible(const char* file, const char* mesh, int visible) override;
    int setMeshDrawToEnd(const char* file, const char* mesh) override;

    // What scene models read.
    const std::vector<ModelFrameData>& frameData() const { return frameData_; }
    CSceneFrame* frame(size_t index) const { return frames_[index].get(); }
    int findFrameIndex(const std::string& name) const;
    const std::vector<ModelSkin>& skins() const { return skins_; }
    // In drawing order: meshes marked draw-to-end last, in the order they were marked.
    const std::vector<std::shared_ptr<ModelMesh>>& meshes() const { return meshes_; }
    const std::vector<std::shared_ptr<const NamedMotion>>& motions() const { return motions_; }
    const std::string& file() const { return file_; }

private:
    CModelResource(std::string path, ModelFileReader readFile, TextureMaker makeTexture);
    bool build(ModelContents&& contents);
    int visitMaterials(const char* scope, const char* mesh, const char* material, const Visit& visit) override;
    // Meshes of file (null: every file) named mesh (null: every name).
    std::vector<std::shared_ptr<ModelMesh>> select(const char* file, const char* mesh) const;
    // The n-th mesh of file, or null.
    std::shared_ptr<ModelMesh> fileMesh(const char* file, int index) const;
    // Every material of the matching meshes, in mesh order.
    std::vector<const ModelMaterial*> materialsOf(const char* file, const char* mesh) const;
    int addMotion(NamedMotion motion);

    std::string path_;
    std::string file_;
    std::string name_;
    ModelFileReader read_;
    TextureMaker makeTexture_;
    std::vector<ModelFrameData> frameData_;
    std::vector<Ref<CSceneFrame>> frames_;
    std::vector<ModelSkin> skins_;
    std::vector<std::shared_ptr<ModelMesh>> meshes_;
    std::vector<std::shared_ptr<const NamedMotion>> motions_;
    // Names of the models merged in, by file.
    std::map<std::string, std::string> mergedNames_;
};

// The file name of a path: the part after its last '/' or '\'.
std::string ModelFileName(const std::string& path);
// The same without its extension: how motions are named.
std::string ModelStemName(const std::string& path);
// A process-wide new mesh id.
uint32_t NewModelMeshId();

} // namespace Kavro
