#include "support/Fake3D.h"

#include <kavro/IPhysicsRigidBody.h>
#include <kavro/ITexture.h>

#include <algorithm>
#include <cstring>
#include <sstream>

namespace OrvaneTest
{

namespace
{

template <typename... F> std::string fields(const F&... values)
{
    std::ostringstream out;
    const char* sep = "";
    ((out << sep << values, sep = " "), ...);
    return Join({"{", out.str(), "}"});
}

std::string textureName(Kavro::ITexture* texture)
{
    if (!texture)
        return "null";
    const char* name = texture->getFileName();
    return name ? name : "texture";
}

// Writes text into (buffer, size) as the library does: NUL-terminated, cut to size; its length.
int writeText(const std::string& text, char* buffer, int size)
{
    if (!buffer || size <= 0)
        return -1;
    const int n = std::min<int>(int(text.size()), size - 1);
    std::memcpy(buffer, text.data(), size_t(n));
    buffer[n] = '\0';
    return n;
}

std::string str(const char* s)
{
    return s ? s : "";
}

// The motion name of a path: its file name without folder and extension.
std::string motionName(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

} // namespace

std::string Text(const Kavro::ColorF& c)
{
    return fields(c.r, c.g, c.b, c.a);
}

std::string Text(const Kavro::DiffuseMapParam* p)
{
    if (!p)
        return "null";
    return fields(p->enable, textureName(p->texture), p->power, p->reserved[0], p->reserved[1], p->sceneFlag,
                  p->secondEnable, textureName(p->secondTexture), p->secondPower, p->secondSceneFlag,
                  p->reserved2[0], p->reserved2[1]);
}

std::string Text(const Kavro::SpecularMapParam* p)
{
    return p ? fields(p->enable, textureName(p->texture)) : "null";
}

std::string Text(const Kavro::NormalMapParam* p)
{
    return p ? fields(p->enable, textureName(p->texture)) : "null";
}

std::string Text(const Kavro::ReflectionMapParam* p)
{
    return p ? fields(p->enable, textureName(p->texture), p->type, p->power) : "null";
}

std::string Text(const Kavro::DiffuseColorParam* p)
{
    return p ? fields(Text(p->color), p->value) : "null";
}

std::string Text(const Kavro::AmbientColorParam* p)
{
    return p ? fields(Text(p->color)) : "null";
}

std::string Text(const Kavro::EmissiveColorParam* p)
{
    return p ? fields(Text(p->color)) : "null";
}

std::string Text(const Kavro::SpecularColorParam* p)
{
    return p ? fields(Text(p->color), p->diffusion, p->sharpness, p->value, p->value2, p->shininess) : "null";
}

std::string Text(const Kavro::HemisphereLightParam* p)
{
    return p ? fields(p->enable, Text(p->up), p->power, Text(p->skyColor), Text(p->groundColor)) : "null";
}

std::string Text(const Kavro::RimLightParam* p)
{
    return p ? fields(p->enable, Text(p->color), p->range, p->effectiveLight) : "null";
}

std::string Text(const Kavro::ShadowParam* p)
{
    return p ? fields(p->caster, p->receiver, Text(p->color), p->strength, p->offset, p->caster2, p->receiver2,
                      Text(p->color2), p->power, p->reserved, p->mode)
             : "null";
}

std::string Text(const Kavro::ToonParam* p)
{
    return p ? fields(p->enable, textureName(p->texture), Text(p->edgeColor), p->edgePower,
                      textureName(p->edgeTexture))
             : "null";
}

// Frames.

RecordingSceneFrame::RecordingSceneFrame(Fake3D& fake, const std::string& label, std::string name)
    : CountedFake(fake.log, &fake.registry, label), name(std::move(name))
{
}

int RecordingSceneFrame::getName(char* buffer, int size)
{
    touch("getName");
    return writeText(name, buffer, size);
}

Kavro::Matrix4x4 RecordingSceneFrame::getMatrix()
{
    touch("getMatrix");
    return matrix;
}

Kavro::Matrix4x4 RecordingSceneFrame::getWorldMatrix()
{
    touch("getWorldMatrix");
    return world;
}

Kavro::Matrix4x4 RecordingSceneFrame::getRestMatrix()
{
    touch("getRestMatrix");
    return rest;
}

int RecordingSceneFrame::setWorldMatrix(const Kavro::Matrix4x4& newWorld, const Kavro::Matrix4x4& combined,
                                        int propagate)
{
    call("setWorldMatrix", Text(newWorld), Text(combined), propagate);
    world = newWorld;
    return 0;
}

Kavro::ISceneFrame* RecordingSceneFrame::getParent()
{
    touch("getParent");
    return parent;
}

int RecordingSceneFrame::getChildCount()
{
    touch("getChildCount");
    return int(children.size());
}

Kavro::ISceneFrame* RecordingSceneFrame::getChild(int index)
{
    touch("getChild");
    return index >= 0 && index < int(children.size()) ? children[size_t(index)] : nullptr;
}

const char* RecordingSceneFrame::getChildName(int index)
{
    touch("getChildName");
    return index >= 0 && index < int(children.size()) ? children[size_t(index)]->name.c_str() : nullptr;
}

int RecordingSceneFrame::attachRigidBody(Kavro::IPhysicsRigidBody* newBody, int flag1, int flag2, int flag3)
{
    call("attachRigidBody", Text(dynamic_cast<FakeLife*>(newBody)), flag1, flag2, flag3);
    if (newBody)
        newBody->addRef();
    if (body)
        body->release();
    body = newBody;
    bodyMatrix = Kavro::Matrix4x4();
    flags[0] = uint32_t(flag1), flags[1] = uint32_t(flag2), flags[2] = uint32_t(flag3);
    return 0;
}

int RecordingSceneFrame::attachRigidBodyWithMatrix(Kavro::IPhysicsRigidBody* newBody,
                                                   const Kavro::Matrix4x4& newMatrix, int flag1, int flag2,
                                                   int flag3)
{
    call("attachRigidBodyWithMatrix", Text(dynamic_cast<FakeLife*>(newBody)), Text(newMatrix), flag1, flag2, flag3);
    if (newBody)
        newBody->addRef();
    if (body)
        body->release();
    body = newBody;
    bodyMatrix = newMatrix;
    flags[0] = uint32_t(flag1), flags[1] = uint32_t(flag2), flags[2] = uint32_t(flag3);
    return 0;
}

Kavro::IPhysicsRigidBody* RecordingSceneFrame::getRigidBody()
{
    touch("getRigidBody");
    if (body)
        body->addRef();
    return body;
}

Kavro::Matrix4x4 RecordingSceneFrame::getRigidBodyMatrix()
{
    touch("getRigidBodyMatrix");
    return bodyMatrix;
}

uint32_t RecordingSceneFrame::getRigidBodyFlag1()
{
    touch("getRigidBodyFlag1");
    return flags[0];
}

uint32_t RecordingSceneFrame::getRigidBodyFlag2()
{
    touch("getRigidBodyFlag2");
    return flags[1];
}

uint32_t RecordingSceneFrame::getRigidBodyFlag3()
{
    touch("getRigidBodyFlag3");
    return flags[2];
}

void RecordingSceneFrame::orphan()
{
    parent = nullptr;
    children.clear();
    if (body)
        body->release();
    body = nullptr;
}

// Model resources.

RecordingModelResource::RecordingModelResource(Fake3D& fake, const std::string& label, const FakeModelSpec& spec)
    : MaterialRecorder(fake.log, &fake.registry, label), spec(spec), fake_(fake)
{
    // Frames are made depth first, each with its parent.
    struct Maker
    {
        RecordingModelResource& self;
        void make(const FakeFrameSpec& s, RecordingSceneFrame* parent)
        {
            auto* frame = new RecordingSceneFrame(self.fake_, Join({self.label(), "/", s.name}), s.name);
            frame->matrix = s.matrix;
            frame->world = s.world;
            frame->rest = s.rest;
            frame->parent = parent;
            if (parent)
                parent->children.push_back(frame);
            self.frames.push_back(frame);
            for (const FakeFrameSpec& child : s.children)
                make(child, frame);
        }
    } maker{*this};
    for (const FakeFrameSpec& root : spec.frames)
        maker.make(root, nullptr);
}

void RecordingModelResource::lastReleased()
{
    for (RecordingSceneFrame* frame : frames)
        frame->orphan();
    for (RecordingSceneFrame* frame : frames)
        frame->release();
    frames.clear();
}

int RecordingModelResource::addMesh(Kavro::IModelResource* other)
{
    call("addMesh", Text(dynamic_cast<FakeLife*>(other)));
    return other ? 0 : -1;
}

int RecordingModelResource::eraseMesh(const char* file, const char* mesh)
{
    call("eraseMesh", Text(file), Text(mesh));
    return 0;
}

int RecordingModelResource::setMeshVisible(const char* mesh, int visible)
{
    call("setMeshVisible", Text(mesh), visible);
    return 0;
}

int RecordingModelResource::getMeshVisible(const char* file, const char* mesh)
{
    call("getMeshVisible", Text(file), Text(mesh));
    return meshVisible;
}

int RecordingModelResource::getModelName(const char* file, char* buffer, int size)
{
    call("getModelName", Text(file));
    return writeText(motionName(str(file)), buffer, size);
}

int RecordingModelResource::getMeshCount()
{
    touch("getMeshCount");
    return int(spec.meshes.size());
}

int RecordingModelResource::getMeshName(int index, char* buffer, int size)
{
    touch("getMeshName");
    if (index < 0 || index >= int(spec.meshes.size()))
        return -1;
    return writeText(spec.meshes[size_t(index)].first, buffer, size);
}

int RecordingModelResource::getFileMeshCount(const char* file)
{
    call("getFileMeshCount", Text(file));
    return int(spec.meshes.size());
}

int RecordingModelResource::getFileMeshName(const char* file, int index, char* buffer, int size)
{
    call("getFileMeshName", Text(file), index);
    if (index < 0 || index >= int(spec.meshes.size()))
        return -1;
    return writeText(spec.meshes[size_t(index)].first, buffer, size);
}

int RecordingModelResource::getMaterialCount(const char* mesh)
{
    touch("getMaterialCount");
    for (const auto& [name, materials] : spec.meshes)
        if (name == str(mesh))
            return int(materials.size());
    return 0;
}

int RecordingModelResource::getMaterialName(const char* mesh, int index, char* buffer, int size)
{
    touch("getMaterialName");
    for (const auto& [name, materials] : spec.meshes)
        if (name == str(mesh) && index >= 0 && index < int(materials.size()))
            return writeText(materials[size_t(index)], buffer, size);
    return -1;
}

int RecordingModelResource::getFileMaterialCount(const char* file, const char* mesh)
{
    call("getFileMaterialCount", Text(file), Text(mesh));
    return getMaterialCount(mesh);
}

int RecordingModelResource::getFileMaterialName(const char* file, const char* mesh, int index, char* buffer,
                                                int size)
{
    call("getFileMaterialName", Text(file), Text(mesh), index);
    return getMaterialName(mesh, index, buffer, size);
}

int RecordingModelResource::getMaterialVisible(const char* scope, const char* mesh, const char* material, int* out)
{
    call("getMaterialVisible", Text(scope), Text(mesh), Text(material));
    if (out && materialVisibleResult >= 0)
        *out = materialVisible;
    return materialVisibleResult;
}

int RecordingModelResource::loadMotion(const char* path)
{
    call("loadMotion", Text(path));
    if (!path || std::find(failingMotions.begin(), failingMotions.end(), path) != failingMotions.end())
        return -1;
    spec.motions.push_back({motionName(path)});
    // Scene models see the resource's motions as they are now.
    for (RecordingSceneModel* model : fake_.sceneModels)
        if (model->resource == this)
            model->motions = spec.motions;
    return 0;
}

int RecordingModelResource::eraseMotion(const char* name)
{
    call("eraseMotion", Text(name));
    const auto gone = std::remove_if(spec.motions.begin(), spec.motions.end(),
                                     [&](const FakeMotionSpec& m) { return m.name == str(name); });
    const bool found = gone != spec.motions.end();
    spec.motions.erase(gone, spec.motions.end());
    // Scene models see the resource's motions as they are now.
    for (RecordingSceneModel* model : fake_.sceneModels)
        if (model->resource == this)
            model->motions = spec.motions;
    return found ? 0 : -1;
}

int RecordingModelResource::loadMorph(int kind, const char* name, const char* file)
{
    call("loadMorph", kind, Text(name), Text(file));
    return loadMorphResult;
}

int RecordingModelResource::eraseMorph(const char* name, const char* target)
{
    call("eraseMorph", Text(name), Text(target));
    return 0;
}

int RecordingModelResource::clearMorph(const char* name)
{
    call("clearMorph", Text(name));
    return 0;
}

Kavro::ISceneFrame* RecordingModelResource::findFrame(const char* name)
{
    call("findFrame", Text(name));
    for (RecordingSceneFrame* frame : frames)
        if (frame->name == str(name))
            return frame;
    return nullptr;
}

int RecordingModelResource::needsAuxiliary()
{
    touch("needsAuxiliary");
    return spec.needsAuxiliary;
}

// Scene models.

RecordingSceneModel::RecordingSceneModel(Fake3D& fake, const std::string& label, RecordingModelResource* resource)
    : MaterialRecorder(fake.log, &fake.registry, label), resource(resource), motions(resource->spec.motions)
{
}

Kavro::ISceneNode* RecordingSceneModel::getSceneNode()
{
    call("getSceneNode");
    return &node;
}

int RecordingSceneModel::setWorldMatrix(const Kavro::Matrix4x4& world)
{
    call("setWorldMatrix", Text(world));
    return 0;
}

int RecordingSceneModel::applyTransform(int physics)
{
    call("applyTransform", physics);
    return 0;
}

int RecordingSceneModel::hasPendingUpdate()
{
    call("hasPendingUpdate");
    return pendingUpdate;
}

int RecordingSceneModel::flushPendingUpdate(uint32_t flags)
{
    call("flushPendingUpdate", flags);
    pendingUpdate = 0;
    return 0;
}

int RecordingSceneModel::setTimeScale(float scale)
{
    call("setTimeScale", scale);
    return 0;
}

int RecordingSceneModel::attachAuxiliary(Kavro::IModelAuxiliary* auxiliary)
{
    call("attachAuxiliary", Text(dynamic_cast<FakeLife*>(auxiliary)));
    return 0;
}

int RecordingSceneModel::getMotionCount()
{
    call("getMotionCount");
    return int(motions.size());
}

int RecordingSceneModel::getMotionName(int motion, char* buffer, int size)
{
    call("getMotionName", motion, size);
    return knownMotion(motion) ? writeText(motions[size_t(motion)].name, buffer, size) : -1;
}

int RecordingSceneModel::findMotion(const char* name)
{
    call("findMotion", Text(name));
    for (size_t i = 0; i < motions.size(); ++i)
        if (motions[i].name == str(name))
            return int(i);
    return -1;
}

int RecordingSceneModel::attachMotion(int motion)
{
    call("attachMotion", motion);
    if (!knownMotion(motion))
        return -1;
    ++attached_[motion];
    return 0;
}

int RecordingSceneModel::detachMotion(int motion)
{
    call("detachMotion", motion);
    auto it = attached_.find(motion);
    if (it == attached_.end() || it->second == 0)
        return -1;
    --it->second;
    return 0;
}

int RecordingSceneModel::attachCount(int motion) const
{
    const auto it = attached_.find(motion);
    return it == attached_.end() ? 0 : it->second;
}

int RecordingSceneModel::startMotion(int motion)
{
    call("startMotion", motion);
    return knownMotion(motion) ? 0 : -1;
}

int RecordingSceneModel::resumeMotion(int motion)
{
    call("resumeMotion", motion);
    return knownMotion(motion) ? 0 : -1;
}

int RecordingSceneModel::advanceMotion(int motion, float milliseconds)
{
    call("advanceMotion", motion, milliseconds);
    return knownMotion(motion) ? 0 : -1;
}

int RecordingSceneModel::setMotionBlendRate(float rate)
{
    call("setMotionBlendRate", rate);
    return 0;
}

int RecordingSceneModel::setMotionFrameTime(int motion, float milliseconds)
{
    call("setMotionFrameTime", motion, milliseconds);
    if (!knownMotion(motion))
        return -1;
    frameTimes[motion] = milliseconds;
    return 0;
}

int RecordingSceneModel::setMotionLoop(int motion, int loop)
{
    call("setMotionLoop", motion, loop);
    return knownMotion(motion) ? 0 : -1;
}

int RecordingSceneModel::setMotionSpeed(int motion, float speed)
{
    call("setMotionSpeed", motion, speed);
    return knownMotion(motion) ? 0 : -1;
}

int RecordingSceneModel::isMotionEnd(int motion)
{
    call("isMotionEnd", motion);
    const auto it = motionEnds.find(motion);
    return it == motionEnds.end() ? 0 : it->second;
}

int RecordingSceneModel::getMotionFrame(int motion)
{
    call("getMotionFrame", motion);
    const auto it = motionFrames.find(motion);
    return it == motionFrames.end() ? 0 : it->second;
}

float RecordingSceneModel::getMotionFrameTime(int motion, int flags)
{
    call("getMotionFrameTime", motion, flags);
    const auto it = frameTimes.find(motion);
    return it == frameTimes.end() ? 0.0f : it->second;
}

float RecordingSceneModel::getMotionMaxFrameTime(int motion)
{
    call("getMotionMaxFrameTime", motion);
    return knownMotion(motion) ? motions[size_t(motion)].maxFrameTime : 0.0f;
}

float RecordingSceneModel::getMotionOriginalSpeed(int motion)
{
    call("getMotionOriginalSpeed", motion);
    return knownMotion(motion) ? motions[size_t(motion)].originalSpeed : 0.0f;
}

int RecordingSceneModel::resetPose()
{
    call("resetPose");
    return 0;
}

int RecordingSceneModel::setMorph(const char* channel, int target, const char* morph)
{
    call("setMorph", Text(channel), target, Text(morph));
    return setMorphResult;
}

int RecordingSceneModel::setMorphWeight(const char* channel, int from, int to, float weight)
{
    call("setMorphWeight", Text(channel), from, to, weight);
    return 0;
}

int RecordingSceneModel::getMorphNum(const char* name)
{
    call("getMorphNum", Text(name));
    const auto it = resource->spec.morphs.find(str(name));
    return it == resource->spec.morphs.end() ? 0 : int(it->second.size());
}

int RecordingSceneModel::getMorphName(const char* name, int index, char* buffer, int size)
{
    call("getMorphName", Text(name), index);
    const auto it = resource->spec.morphs.find(str(name));
    if (it == resource->spec.morphs.end() || index < 0 || index >= int(it->second.size()))
        return -1;
    return writeText(it->second[size_t(index)], buffer, size);
}

int RecordingSceneModel::setFaceEffect(const char* part, const char* effect, const float* value)
{
    call("setFaceEffect", Text(part), Text(effect), value ? *value : 0.0f);
    return 0;
}

int RecordingSceneModel::setColorUVOffset(const char* mesh, const char* material, const float* offset)
{
    call("setColorUVOffset", Text(mesh), Text(material), offset[0], offset[1]);
    return 0;
}

int RecordingSceneModel::setBumpUVOffset(const char* mesh, const char* material, const float* offset)
{
    call("setBumpUVOffset", Text(mesh), Text(material), offset[0], offset[1]);
    return 0;
}

int RecordingSceneModel::setExtraUVOffset(const char* mesh, const char* material, const float* offset)
{
    call("setExtraUVOffset", Text(mesh), Text(material), offset[0], offset[1]);
    return 0;
}

int RecordingSceneModel::setMaterialFog(const char* mesh, const char* material, int enable)
{
    call("setMaterialFog", Text(mesh), Text(material), enable);
    return 0;
}

Kavro::ISceneFrame* RecordingSceneModel::findFrame(const char* name)
{
    call("findFrame", Text(name));
    for (RecordingSceneFrame* frame : resource->frames)
        if (frame->name == str(name))
            return frame;
    return nullptr;
}

int RecordingSceneModel::checkHitCollisionLine(const char* name, const Kavro::CLine3D& line)
{
    call("checkHitCollisionLine", Text(name), Text(line.start), Text(line.end));
    return hitLineResult;
}

int RecordingSceneModel::checkSortHitCollisionLine(Kavro::Vector3D* hit, const Kavro::CLine3D& line, char* name,
                                                   int size)
{
    call("checkSortHitCollisionLine", Text(line.start), Text(line.end), size);
    if (hitName.empty())
        return 0;
    if (hit)
        *hit = hitPoint;
    writeText(hitName, name, size);
    return 1;
}

int RecordingSceneModel::enablePhysics(int enable)
{
    call("enablePhysics", enable);
    return 0;
}

int RecordingSceneModel::setPhysicsKinematic(int kinematic)
{
    call("setPhysicsKinematic", kinematic);
    return 0;
}

int RecordingSceneModel::resetPhysics()
{
    call("resetPhysics");
    return 0;
}

// Auxiliaries, sprites, lights, cameras, movies.

RecordingModelAuxiliary::RecordingModelAuxiliary(Fake3D& fake, const std::string& label, int size)
    : CountedFake(fake.log, &fake.registry, label), size(size)
{
}

int RecordingModelAuxiliary::prepare()
{
    call("prepare");
    return 0;
}

int RecordingModelAuxiliary::commit()
{
    call("commit");
    return 0;
}

RecordingSprite3D::RecordingSprite3D(Fake3D& fake, const std::string& label, int, Kavro::ITexture* texture)
    : CountedFake(fake.log, &fake.registry, label), texture(texture)
{
}

int RecordingSprite3D::begin(const int& mode, const int& reserved)
{
    call("begin", mode, reserved);
    return 0;
}

int RecordingSprite3D::drawQuad(const Kavro::Matrix4x4& transform, const Kavro::Vector2D& size,
                                const uint8_t (&colour)[4], const Kavro::Vector4D& source)
{
    call("drawQuad", Text(transform), Text(size), int(colour[0]), int(colour[1]), int(colour[2]), int(colour[3]),
         Text(source));
    return 0;
}

int RecordingSprite3D::end()
{
    call("end");
    return 0;
}

Kavro::ITexture* RecordingSprite3D::getTexture()
{
    touch("getTexture");
    return texture;
}

RecordingSceneSprite::RecordingSceneSprite(Fake3D& fake, const std::string& label)
    : CountedFake(fake.log, &fake.registry, label)
{
}

Kavro::ISceneNode* RecordingSceneSprite::getSceneNode()
{
    call("getSceneNode");
    return &node;
}

int RecordingSceneSprite::setWorldMatrix(const Kavro::Matrix4x4& world)
{
    call("setWorldMatrix", Text(world));
    return 0;
}

int RecordingSceneSprite::setBlendMode(int mode)
{
    call("setBlendMode", mode);
    return 0;
}

int RecordingSceneSprite::setOption(int option)
{
    call("setOption", option);
    return 0;
}

int RecordingSceneSprite::setFlagPair(const int& depthTest, const int& depthWrite)
{
    call("setFlagPair", depthTest, depthWrite);
    return 0;
}

int RecordingSceneSprite::setFlag(const int& flag)
{
    call("setFlag", flag);
    return 0;
}

int RecordingScenePointLight::initialize(const Kavro::Vector3D& position, const float& power,
                                         const Kavro::Vector4D& colour, const float& size,
                                         const float& nearAttenuation_, const float& farAttenuation_)
{
    call("initialize", Text(position), power, Text(colour), size, nearAttenuation_, farAttenuation_);
    nearAttenuation = nearAttenuation_;
    farAttenuation = farAttenuation_;
    return 0;
}

Kavro::ISceneNode* RecordingScenePointLight::getSceneNode()
{
    call("getSceneNode");
    return &node;
}

int RecordingScenePointLight::setPosition(const Kavro::Vector3D& position)
{
    call("setPosition", Text(position));
    return 0;
}

int RecordingScenePointLight::setColor(const Kavro::Vector4D& colour)
{
    call("setColor", Text(colour));
    return 0;
}

int RecordingScenePointLight::setPower(float power)
{
    call("setPower", power);
    return 0;
}

int RecordingScenePointLight::setRotate(const Kavro::Vector3D& degrees)
{
    call("setRotate", Text(degrees));
    return 0;
}

int RecordingScenePointLight::setSize(float size)
{
    call("setSize", size);
    return 0;
}

int RecordingScenePointLight::setRange(float range)
{
    call("setRange", range);
    return 0;
}

int RecordingScenePointLight::setLookAt(const Kavro::Vector3D& target)
{
    call("setLookAt", Text(target));
    lookAt = target;
    return 0;
}

Kavro::Vector3D RecordingScenePointLight::getLookAt()
{
    touch("getLookAt");
    return lookAt;
}

int RecordingScenePointLight::setEnable(int value)
{
    call("setEnable", value);
    enable = value;
    return 0;
}

int RecordingScenePointLight::getEnable()
{
    touch("getEnable");
    return enable;
}

int RecordingScenePointLight::setNearAttenuation(float value)
{
    call("setNearAttenuation", value);
    nearAttenuation = value;
    return 0;
}

int RecordingScenePointLight::setFarAttenuation(float value)
{
    call("setFarAttenuation", value);
    farAttenuation = value;
    return 0;
}

float RecordingScenePointLight::getNearAttenuation()
{
    touch("getNearAttenuation");
    return nearAttenuation;
}

float RecordingScenePointLight::getFarAttenuation()
{
    touch("getFarAttenuation");
    return farAttenuation;
}

int RecordingCamera::setPerspective(float fovRadians, float aspect_, float zNear_, float zFar_)
{
    call("setPerspective", fovRadians, aspect_, zNear_, zFar_);
    projection = 0;
    fov = fovRadians * 57.29578f;
    aspect = aspect_;
    zNear = zNear_;
    zFar = zFar_;
    return 0;
}

int RecordingCamera::setOrtho(float width, float height, float zNear_, float zFar_)
{
    call("setOrtho", width, height, zNear_, zFar_);
    projection = 1;
    zNear = zNear_;
    zFar = zFar_;
    return 0;
}

int RecordingCamera::setLookAt(const Kavro::Vector3D& eye_, const Kavro::Vector3D& target_,
                               const Kavro::Vector3D& up_)
{
    call("setLookAt", Text(eye_), Text(target_), Text(up_));
    eye = eye_;
    target = target_;
    up = up_;
    return 0;
}

int RecordingCamera::update()
{
    call("update");
    return 0;
}

Kavro::Matrix4x4 RecordingCamera::getMatrix()
{
    touch("getMatrix");
    return matrix;
}

float RecordingCamera::getFov()
{
    touch("getFov");
    return fov;
}

const float* RecordingCamera::getAspect()
{
    touch("getAspect");
    return &aspect;
}

Kavro::Vector3D RecordingCamera::getPosition()
{
    touch("getPosition");
    return eye;
}

int RecordingMovie::open(const char* name, int flags)
{
    call("open", Text(name), flags);
    return openResult;
}

int RecordingMovie::play(int loops)
{
    call("play", loops);
    playing = 1;
    paused = 0;
    return 0;
}

int RecordingMovie::setLoop(int loops)
{
    call("setLoop", loops);
    return 0;
}

int RecordingMovie::stop()
{
    call("stop");
    playing = 0;
    paused = 0;
    return 0;
}

int RecordingMovie::pause()
{
    call("pause");
    paused = playing;
    return 0;
}

int RecordingMovie::resume()
{
    call("resume");
    paused = 0;
    return 0;
}

int RecordingMovie::seek(int milliseconds)
{
    call("seek", milliseconds);
    position = milliseconds;
    return 0;
}

int RecordingMovie::updateFrame(Kavro::ITexture* texture)
{
    call("updateFrame", textureName(texture));
    return 0;
}

int RecordingMovie::setTexture(Kavro::ITexture* texture)
{
    call("setTexture", textureName(texture));
    return 0;
}

int RecordingMovie::getWidth()
{
    touch("getWidth");
    return width;
}

int RecordingMovie::getHeight()
{
    touch("getHeight");
    return height;
}

int RecordingMovie::isPlaying()
{
    touch("isPlaying");
    return playing;
}

int RecordingMovie::isPaused()
{
    touch("isPaused");
    return paused;
}

int RecordingMovie::setVolume(float volume)
{
    call("setVolume", volume);
    return 0;
}

int RecordingMovie::setSpeed(float speed)
{
    call("setSpeed", speed);
    return 0;
}

int RecordingMovie::getDuration()
{
    touch("getDuration");
    return duration;
}

int RecordingMovie::getPosition()
{
    touch("getPosition");
    return position;
}

int RecordingMovie::getRemainTime()
{
    touch("getRemainTime");
    return position;
}

// The test's 3D side.

Fake3D::Fake3D(CallLog& log) : log(log)
{
}

Fake3D::~Fake3D()
{
    // The scene lets go of its camera when it goes, before the registry checks the counts.
    if (sceneCamera_)
        sceneCamera_->release();
}

std::string Fake3D::nextLabel(const std::string& kind)
{
    return Join({kind, std::to_string(++counters_[kind])});
}

Kavro::IModelResource* Fake3D::loadModel(const char* path)
{
    log.add("device.loadModel", Text(path));
    const auto it = path ? models.find(path) : models.end();
    if (it == models.end())
        return nullptr;
    auto* resource = new RecordingModelResource(*this, nextLabel("model"), it->second);
    resources.push_back(resource);
    return resource;
}

Kavro::ISprite3D* Fake3D::createSprite3D(int count, Kavro::ITexture* texture)
{
    log.add("device.createSprite3D", count, textureName(texture));
    if (noSprite3D)
        return nullptr;
    auto* sprite = new RecordingSprite3D(*this, nextLabel("sprite3D"), count, texture);
    sprites3D.push_back(sprite);
    return sprite;
}

Kavro::ICamera* Fake3D::createCamera()
{
    log.add("device.createCamera");
    if (noCamera)
        return nullptr;
    auto* camera = new RecordingCamera(log, &registry, nextLabel("camera"));
    cameras.push_back(camera);
    return camera;
}

Kavro::IPointLight* Fake3D::createPointLight()
{
    log.add("device.createPointLight");
    if (noPointLight)
        return nullptr;
    auto* light = new RecordingPointLight(log, &registry, nextLabel("pointLight"));
    pointLights.push_back(light);
    return light;
}

Kavro::IModelAuxiliary* Fake3D::createModelAuxiliary(int size)
{
    log.add("device.createModelAuxiliary", size);
    if (noAuxiliary)
        return nullptr;
    auto* auxiliary = new RecordingModelAuxiliary(*this, nextLabel("auxiliary"), size);
    auxiliaries.push_back(auxiliary);
    return auxiliary;
}

Kavro::ISceneModel* Fake3D::createSceneModel(Kavro::IModelResource* resource)
{
    auto* fakeResource = dynamic_cast<RecordingModelResource*>(resource);
    log.add("scene.createSceneModel", Text(fakeResource));
    if (fakeResource)
        fakeResource->touch("createSceneModel");
    if (noSceneModel || !fakeResource)
        return nullptr;
    auto* model = new RecordingSceneModel(*this, nextLabel("sceneModel"), fakeResource);
    sceneModels.push_back(model);
    return model;
}

Kavro::ISceneSprite* Fake3D::addSprite3D(Kavro::ISprite3D* sprite)
{
    auto* fakeSprite = dynamic_cast<RecordingSprite3D*>(sprite);
    log.add("scene.addSprite3D", Text(fakeSprite));
    if (fakeSprite)
        fakeSprite->touch("addSprite3D");
    if (noSceneSprite || !sprite)
        return nullptr;
    auto* sceneSprite = new RecordingSceneSprite(*this, nextLabel("sceneSprite"));
    sceneSprites.push_back(sceneSprite);
    return sceneSprite;
}

Kavro::IScenePointLight* Fake3D::createScenePointLight(Kavro::IPointLight* light)
{
    auto* fakeLight = dynamic_cast<RecordingPointLight*>(light);
    log.add("scene.createScenePointLight", Text(fakeLight));
    if (fakeLight)
        fakeLight->touch("createScenePointLight");
    if (noScenePointLight || !light)
        return nullptr;
    auto* sceneLight = new RecordingScenePointLight(log, &registry, nextLabel("sceneLight"));
    sceneLights.push_back(sceneLight);
    return sceneLight;
}

Kavro::IInterface* Fake3D::addModelAuxiliary(Kavro::IModelAuxiliary* auxiliary)
{
    auto* fakeAuxiliary = dynamic_cast<RecordingModelAuxiliary*>(auxiliary);
    log.add("scene.addModelAuxiliary", Text(fakeAuxiliary));
    if (fakeAuxiliary)
        fakeAuxiliary->touch("addModelAuxiliary");
    if (!auxiliary)
        return nullptr;
    return new RecordingHandle(log, &registry, nextLabel("auxiliaryHandle"));
}

Kavro::IMovie* Fake3D::openMovie()
{
    log.add("core.openMovie");
    if (noMovie)
        return nullptr;
    auto* movie = new RecordingMovie(log, &registry, nextLabel("movie"));
    movie->openResult = movieOpenResult;
    movie->width = movieWidth;
    movie->height = movieHeight;
    movie->duration = movieDuration;
    movies.push_back(movie);
    return movie;
}

Kavro::ICamera* Fake3D::getCamera()
{
    log.add("scene.getCamera");
    if (sceneCamera_)
        sceneCamera_->addRef();
    return sceneCamera_;
}

int Fake3D::setCamera(Kavro::ICamera* camera)
{
    log.add("scene.setCamera", Text(dynamic_cast<FakeLife*>(camera)));
    if (camera)
        camera->addRef();
    if (sceneCamera_)
        sceneCamera_->release();
    sceneCamera_ = camera;
    return 0;
}

int Fake3D::addSceneNode(Kavro::ISceneNode* node)
{
    // Every fake's node is a FakeSceneNode.
    auto* fakeNode = static_cast<FakeSceneNode*>(node);
    if (!node)
    {
        log.add("scene.addSceneNode", "null");
        return -1;
    }
    FakeLife* owner = fakeNode->owner;
    log.add("scene.addSceneNode", Text(owner));
    if (owner)
        owner->touch("sceneNode");
    return 0;
}

} // namespace OrvaneTest
