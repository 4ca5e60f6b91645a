#include "scene/CModelResource.h"

#include <algorithm>
#include <atomic>

namespace Kavro
{

std::string ModelFileName(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ModelStemName(const std::string& path)
{
    std::string name = ModelFileName(path);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    return name;
}

uint32_t NewModelMeshId()
{
    static std::atomic<uint32_t> next{1};
    return next++;
}

CModelResource::CModelResource(std::string path, ModelFileReader readFile, TextureMaker makeTexture)
    : path_(std::move(path)), file_(ModelFileName(path_)), read_(std::move(readFile)),
      makeTexture_(std::move(makeTexture))
{
}

CModelResource::~CModelResource()
{
    for (Ref<CSceneFrame>& frame : frames_)
        frame->orphan();
}

CModelResource* CModelResource::load(const std::string& path, ModelFileReader readFile, TextureMaker makeTexture)
{
    std::vector<uint8_t> bytes;
    if (path.empty() || !readFile || !readFile(path, bytes))
        return nullptr;
    const size_t slash = path.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash);
    ModelContents contents;
    if (!ReadGltfModel(bytes.data(), bytes.size(), folder, ModelFileName(path), readFile, contents))
        return nullptr;
    auto* resource = new CModelResource(path, std::move(readFile), std::move(makeTexture));
    if (!resource->build(std::move(contents)))
    {
        resource->release();
        return nullptr;
    }
    return resource;
}

bool CModelResource::build(ModelContents&& contents)
{
    name_ = contents.name.empty() ? ModelStemName(file_) : contents.name;
    frameData_ = std::move(contents.frames);
    for (const ModelFrameData& data : frameData_)
    {
        frames_.push_back(Ref<CSceneFrame>::adopt(new CSceneFrame(data.name, data.local, data.rest)));
        frames_.back()->link(data.parent >= 0 ? frames_[size_t(data.parent)].get() : nullptr);
    }
    skins_ = std::move(contents.skins);
    std::vector<Ref<ITexture>> textures(contents.images.size());
    std::vector<bool> tried(contents.images.size(), false);
    for (size_t m = 0; m < contents.meshes.size(); ++m)
    {
        ModelMesh& mesh = *contents.meshes[m];
        mesh.id = NewModelMeshId();
        for (size_t k = 0; k < mesh.materials.size(); ++k)
        {
            const int image = contents.materialImages[m][k];
            if (image < 0)
                continue;
            // An image that does not decode leaves the slot empty; the model still loads.
            if (!tried[size_t(image)] && makeTexture_)
                textures[size_t(image)] = makeTexture_(contents.images[size_t(image)].encoded,
                                                       contents.images[size_t(image)].name);
            tried[size_t(image)] = true;
            if (!textures[size_t(image)])
                continue;
            MaterialState& state = mesh.materials[k].state;
            state.diffuseTexture = textures[size_t(image)];
            state.diffuseMap.enable = 1;
            state.diffuseMap.texture = state.diffuseTexture.get();
        }
    }
    meshes_ = std::move(contents.meshes);
    for (NamedMotion& motion : contents.motions)
        addMotion(std::move(motion));
    return true;
}

int CModelResource::findFrameIndex(const std::string& name) const
{
    for (size_t i = 0; i < frameData_.size(); ++i)
        if (frameData_[i].name == name)
            return int(i);
    return -1;
}

ISceneFrame* CModelResource::findFrame(const char* name)
{
    const int index = name ? findFrameIndex(name) : -1;
    return index < 0 ? nullptr : frames_[size_t(index)].get();
}

std::vector<std::shared_ptr<ModelMesh>> CModelResource::select(const char* file, const char* mesh) const
{
    std::vector<std::shared_ptr<ModelMesh>> out;
    for (const auto& m : meshes_)
        if (matches(file, m->file) && matches(mesh, m->name))
            out.push_back(m);
    return out;
}

std::shared_ptr<ModelMesh> CModelResource::fileMesh(const char* file, int index) const
{
    const auto found = select(file, nullptr);
    return index >= 0 && size_t(index) < found.size() ? found[size_t(index)] : nullptr;
}

std::vector<const ModelMaterial*> CModelResource::materialsOf(const char* file, const char* mesh) const
{
    std::vector<const ModelMaterial*> out;
    for (const auto& m : select(file, mesh))
        for (const ModelMaterial& material : m->materials)
            out.push_back(&material);
    return out;
}

int CModelResource::addMesh(IModelResource* other)
{
    auto* source = dynamic_cast<CModelResource*>(other);
    if (!source || source == this)
        return -1;
    // Copied, so each resource keeps its own visibility and materials; a skin is bound to this resource's
    // frames by joint name, a joint it lacks following the model's root.
    std::map<int, int> skinOf;
    const auto frameHere = [&](int frame) {
        return frame < 0 ? -1 : findFrameIndex(source->frameData_[size_t(frame)].name);
    };
    for (const auto& mesh : source->meshes_)
    {
        auto copy = std::make_shared<ModelMesh>(*mesh);
        copy->id = NewModelMeshId();
        copy->frame = frameHere(mesh->frame);
        copy->drawToEnd = false;
        if (mesh->skin >= 0)
        {
            auto [it, added] = skinOf.emplace(mesh->skin, int(skins_.size()));
            if (added)
            {
                ModelSkin skin = source->skins_[size_t(mesh->skin)];
                for (int& joint : skin.joints)
                    joint = frameHere(joint);
                skins_.push_back(std::move(skin));
            }
            copy->skin = it->second;
        }
        meshes_.push_back(std::move(copy));
    }
    mergedNames_[source->file_] = source->name_;
    return 0;
}

int CModelResource::eraseMesh(const char* file, const char* mesh)
{
    if (!file)
        return -1;
    const size_t before = meshes_.size();
    std::erase_if(meshes_, [&](const auto& m) { return m->file == file && matches(mesh, m->name); });
    return meshes_.size() < before ? 0 : -1;
}

int CModelResource::setMeshVisible(const char* mesh, int visible)
{
    return setFileMeshVisible(nullptr, mesh, visible);
}

int CModelResource::setFileMeshVisible(const char* file, const char* mesh, int visible)
{
    const auto found = select(file, mesh);
    for (const auto& m : found)
        m->visible = visible != 0;
    return found.empty() ? -1 : 0;
}

int CModelResource::getMeshVisible(const char* file, const char* mesh)
{
    const auto found = select(file, mesh);
    return !found.empty() && found.front()->visible ? 1 : 0;
}

int CModelResource::setMeshDrawToEnd(const char* file, const char* mesh)
{
    const auto found = select(file, mesh);
    for (const auto& m : found)
        m->drawToEnd = true;
    std::stable_partition(meshes_.begin(), meshes_.end(), [&](const auto& m) {
        return std::find(found.begin(), found.end(), m) == found.end();
    });
    return found.empty() ? -1 : 0;
}

int CModelResource::setMeshMaterialFlag(const char* mesh, int flag)
{
    const auto found = select(nullptr, mesh);
    for (const auto& m : found)
        m->materialFlag = flag;
    return found.empty() ? -1 : 0;
}

int CModelResource::getModelName(const char* file, char* buffer, int size)
{
    if (!file || file_ == file)
        return WriteName(name_, buffer, size);
    const auto found = mergedNames_.find(file);
    return found == mergedNames_.end() ? -1 : WriteName(found->second, buffer, size);
}

int CModelResource::getMeshName(int index, char* buffer, int size)
{
    return getFileMeshName(nullptr, index, buffer, size);
}

int CModelResource::getFileMeshCount(const char* file)
{
    return int(select(file, nullptr).size());
}

int CModelResource::getFileMeshName(const char* file, int index, char* buffer, int size)
{
    const auto mesh = fileMesh(file, index);
    return mesh ? WriteName(mesh->name, buffer, size) : -1;
}

int CModelResource::getMaterialCount(const char* mesh)
{
    return getFileMaterialCount(nullptr, mesh);
}

int CModelResource::getMaterialName(const char* mesh, int index, char* buffer, int size)
{
    return getFileMaterialName(nullptr, mesh, index, buffer, size);
}

int CModelResource::getFileMaterialCount(const char* file, const char* mesh)
{
    return int(materialsOf(file, mesh).size());
}

int CModelResource::getFileMaterialName(const char* file, const char* mesh, int index, char* buffer, int size)
{
    const auto materials = materialsOf(file, mesh);
    return index >= 0 && size_t(index) < materials.size() ? WriteName(materials[size_t(index)]->name, buffer, size)
                                                          : -1;
}

int CModelResource::getMaterialVisible(const char* scope, const char* mesh, const char* material, int* out)
{
    for (const ModelMaterial* m : materialsOf(scope, mesh))
        if (matches(material, m->name))
        {
            if (out)
                *out = m->state.visible;
            return 0;
        }
    return -1;
}

int CModelResource::visitMaterials(const char* scope, const char* mesh, const char* material, const Visit& visit)
{
    int count = 0;
    for (const auto& m : select(scope, mesh))
        for (ModelMaterial& each : m->materials)
            if (matches(material, each.name))
                visit(each.state), ++count;
    return count;
}

int CModelResource::addMotion(NamedMotion motion)
{
    auto shared = std::make_shared<const NamedMotion>(std::move(motion));
    for (auto& existing : motions_)
        if (existing->name == shared->name)
        {
            existing = std::move(shared);
            return 0;
        }
    motions_.push_back(std::move(shared));
    return 0;
}

int CModelResource::loadMotion(const char* path)
{
    std::vector<uint8_t> bytes;
    if (!path || !*path || !read_(path, bytes))
        return -1;
    NamedMotion motion;
    if (!ReadMotionFile(bytes.data(), bytes.size(), motion.clip))
        return -1;
    motion.name = ModelStemName(path);
    return addMotion(std::move(motion));
}

int CModelResource::eraseMotion(const char* name)
{
    if (!name)
        return -1;
    const size_t before = motions_.size();
    std::erase_if(motions_, [&](const auto& m) { return m->name == name; });
    return motions_.size() < before ? 0 : -1;
}

int CModelResource::loadMorph(int kind, const char* name, const char* file)
{
    std::vector<uint8_t> bytes;
    MorphTargetFile morph;
    if (kind != 1 || !name || !*name || !file || !read_(file, bytes) ||
        !ReadMorphFile(bytes.data(), bytes.size(), morph))
        return -1;
    int loaded = 0;
    for (auto& mesh : meshes_)
    {
        if (mesh->name != morph.mesh || mesh->vertices.size() != morph.positions.size())
            continue;
        // A changed copy: the renderer may hold the old geometry on the GPU.
        auto copy = std::make_shared<ModelMesh>(*mesh);
        copy->gpu.reset();
        std::erase_if(copy->morphs, [&](const ModelMorphTarget& t) { return t.name == name; });
        copy->morphs.push_back({name, morph.positions, morph.normals});
        copy->morphs.back().loaded = true;
        mesh = std::move(copy);
        ++loaded;
    }
    return loaded > 0 ? 0 : -1;
}

int CModelResource::eraseMorph(const char* name, const char* target)
{
    if (!name)
        return -1;
    int erased = 0;
    for (auto& mesh : meshes_)
    {
        if (!matches(target, mesh->name) ||
            std::none_of(mesh->morphs.begin(), mesh->morphs.end(), [&](const auto& t) { return t.name == name; }))
            continue;
        auto copy = std::make_shared<ModelMesh>(*mesh);
        copy->gpu.reset();
        std::erase_if(copy->morphs, [&](const ModelMorphTarget& t) { return t.name == name; });
        mesh = std::move(copy);
        ++erased;
    }
    return erased > 0 ? 0 : -1;
}

int CModelResource::clearMorph(const char* name)
{
    for (auto& mesh : meshes_)
    {
        const auto loaded = [&](const ModelMorphTarget& t) { return t.loaded && matches(name, t.name); };
        if (std::none_of(mesh->morphs.begin(), mesh->morphs.end(), loaded))
            continue;
        auto copy = std::make_shared<ModelMesh>(*mesh);
        copy->gpu.reset();
        std::erase_if(copy->morphs, loaded);
        mesh = std::move(copy);
    }
    return 0;
}

} // namespace Kavro
