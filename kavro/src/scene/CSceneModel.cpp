#include "scene/CSceneModel.h"

#include "render/CSceneRenderer.h"
#include "scene/CSceneManager.h"

#include <kavro/IPhysicsRigidBody.h>

#include <algorithm>
#include <cmath>

namespace Kavro
{

namespace
{

// Which way a coupled body and its frame move each other (the frame's three attachment flags).
struct Coupling
{
    bool bodyMovesFrame; // flag 1: with physics on and not kinematic, the simulated body places its frame
    bool rotationOnly;   // flag 2: the frame then takes only the body's orientation
    bool uncoupled;      // flag 3: neither moves the other
};

Coupling couplingOf(CSceneFrame& frame)
{
    return {frame.getRigidBodyFlag1() != 0, frame.getRigidBodyFlag2() != 0, frame.getRigidBodyFlag3() != 0};
}

Matrix4x4 bodyPlacement(IPhysicsRigidBody& body)
{
    Matrix4x4 m = body.getRotation();
    const Vector3D at = body.getPosition();
    m._41 = at.x, m._42 = at.y, m._43 = at.z;
    return m;
}

float rowLength(const Matrix4x4& m, int r)
{
    return std::sqrt(m.m[r][0] * m.m[r][0] + m.m[r][1] * m.m[r][1] + m.m[r][2] * m.m[r][2]);
}

// Segment-triangle crossing (both faces): the fraction along the segment, if it crosses.
std::optional<float> crossing(const Vector3D& from, const Vector3D& direction, const Vector3D& a, const Vector3D& b,
                              const Vector3D& c)
{
    const Vector3D e1 = b - a, e2 = c - a;
    const Vector3D p = direction.Cross(e2);
    const float det = e1.Dot(p);
    if (std::fabs(det) < 1e-12f)
        return std::nullopt;
    const float inv = 1.0f / det;
    const Vector3D s = from - a;
    const float u = s.Dot(p) * inv;
    if (u < 0.0f || u > 1.0f)
        return std::nullopt;
    const Vector3D q = s.Cross(e1);
    const float v = direction.Dot(q) * inv;
    if (v < 0.0f || u + v > 1.0f)
        return std::nullopt;
    const float t = e2.Dot(q) * inv;
    if (t < 0.0f || t > 1.0f)
        return std::nullopt;
    return t;
}

} // namespace

CSceneModel::CSceneModel(CSceneManager* scene, CModelResource* resource) : scene_(scene), resource_(resource)
{
    scene_->registerDrawable(this);
    for (const ModelFrameData& frame : resource_->frameData())
        restPose_.push_back(FramePose::FromMatrix(frame.local));
    pose_ = restPose_;
    animated_.assign(restPose_.size(), false);
    // A new scene model starts from the resource's material state as it is now.
    for (const auto& mesh : resource_->meshes())
        meshState(*mesh);
}

CSceneModel::~CSceneModel()
{
    scene_->unregisterDrawable(this);
}

void CSceneModel::submit(CSceneRenderer& renderer)
{
    for (const PosedMesh& mesh : posedMeshes())
        if (mesh.visible)
            renderer.addMesh(mesh);
}

int CSceneModel::setWorldMatrix(const Matrix4x4& world)
{
    world_ = world;
    pending_ = true;
    return 0;
}

int CSceneModel::applyTransform(int physics)
{
    poseFrames(physics != 0);
    pending_ = false;
    return 0;
}

int CSceneModel::flushPendingUpdate(uint32_t)
{
    if (pending_)
        applyTransform(1);
    return 0;
}

int CSceneModel::setTimeScale(float scale)
{
    // Kept only: the milliseconds advanceMotion gets are already scaled by the caller.
    timeScale_ = scale;
    return 0;
}

CSceneModel::MotionState* CSceneModel::state(int motion)
{
    const auto& motions = resource_->motions();
    if (motion < 0 || size_t(motion) >= motions.size())
        return nullptr;
    const auto& named = motions[size_t(motion)];
    for (MotionState& s : motions_)
        if (s.motion == named)
            return &s;
    MotionState s;
    s.motion = named;
    s.speed = named->clip.frameRate;
    for (const MotionTrack& track : named->clip.tracks)
        s.trackFrames.push_back(resource_->findFrameIndex(track.frame));
    motions_.push_back(std::move(s));
    return &motions_.back();
}

int CSceneModel::getMotionName(int motion, char* buffer, int size)
{
    const auto& motions = resource_->motions();
    return motion >= 0 && size_t(motion) < motions.size() ? WriteName(motions[size_t(motion)]->name, buffer, size)
                                                          : -1;
}

int CSceneModel::findMotion(const char* name)
{
    const auto& motions = resource_->motions();
    for (size_t i = 0; name && i < motions.size(); ++i)
        if (motions[i]->name == name)
            return int(i);
    return -1;
}

int CSceneModel::attachMotion(int motion)
{
    MotionState* s = state(motion);
    if (!s)
        return -1;
    ++s->attached;
    return 0;
}

int CSceneModel::detachMotion(int motion)
{
    MotionState* s = state(motion);
    if (!s || s->attached == 0)
        return -1;
    // A motion no layer holds any more stops shaping the pose.
    if (--s->attached == 0)
        s->playing = false;
    return 0;
}

int CSceneModel::startMotion(int motion)
{
    MotionState* s = state(motion);
    if (!s)
        return -1;
    s->playing = true;
    s->frame = 0.0f;
    s->order = nextOrder_++;
    s->fadeMs = 0.0f;
    s->fadeLength = std::clamp(blendRate_, 0.0f, 1.0f) * CrossFadeMilliseconds;
    if (s->fadeLength > 0.0f)
        s->from = pose_;
    pending_ = true;
    return 0;
}

int CSceneModel::resumeMotion(int motion)
{
    MotionState* s = state(motion);
    if (!s)
        return -1;
    s->playing = s->order != 0;
    return 0;
}

int CSceneModel::advanceMotion(int motion, float milliseconds)
{
    MotionState* s = state(motion);
    if (!s || !s->playing || !(milliseconds >= 0.0f))
        return -1;
    s->fadeMs += milliseconds;
    s->frame += milliseconds * s->speed / 1000.0f;
    const float last = lastFrame(*s);
    if (s->frame > last)
        s->frame = s->loop && last > 0.0f ? std::fmod(s->frame, last) : last;
    pending_ = true;
    return 0;
}

int CSceneModel::setMotionBlendRate(float rate)
{
    blendRate_ = rate;
    return 0;
}

int CSceneModel::setMotionFrameTime(int motion, float milliseconds)
{
    MotionState* s = state(motion);
    if (!s || !std::isfinite(milliseconds))
        return -1;
    s->frame = std::clamp(milliseconds * s->motion->clip.frameRate / 1000.0f, 0.0f, lastFrame(*s));
    pending_ = true;
    return 0;
}

int CSceneModel::setMotionLoop(int motion, int loop)
{
    MotionState* s = state(motion);
    if (!s)
        return -1;
    s->loop = loop != 0;
    return 0;
}

int CSceneModel::setMotionSpeed(int motion, float speed)
{
    MotionState* s = state(motion);
    if (!s || !std::isfinite(speed))
        return -1;
    s->speed = std::max(speed, 0.0f);
    return 0;
}

int CSceneModel::isMotionEnd(int motion)
{
    MotionState* s = state(motion);
    return s && !s->loop && s->frame >= lastFrame(*s) ? 1 : 0;
}

int CSceneModel::getMotionFrame(int motion)
{
    MotionState* s = state(motion);
    return s ? int(std::floor(s->frame)) : 0;
}

float CSceneModel::getMotionFrameTime(int motion, int)
{
    MotionState* s = state(motion);
    return s ? s->frame * 1000.0f / s->motion->clip.frameRate : 0.0f;
}

float CSceneModel::getMotionMaxFrameTime(int motion)
{
    MotionState* s = state(motion);
    return s ? lastFrame(*s) * 1000.0f / s->motion->clip.frameRate : 0.0f;
}

float CSceneModel::getMotionOriginalSpeed(int motion)
{
    MotionState* s = state(motion);
    return s ? s->motion->clip.frameRate : 0.0f;
}

int CSceneModel::resetPose()
{
    for (MotionState& s : motions_)
        s.playing = false, s.attached = 0;
    poseFrames(false);
    pending_ = false;
    return 0;
}

void CSceneModel::poseFrames(bool physics)
{
    const auto& data = resource_->frameData();
    const size_t n = data.size();
    pose_ = restPose_;
    animated_.assign(n, false);
    // Motions the resource no longer holds (erased or replaced) stop shaping the pose.
    const auto& live = resource_->motions();
    playing_.clear();
    for (const MotionState& s : motions_)
        if (s.playing && std::find(live.begin(), live.end(), s.motion) != live.end())
            playing_.push_back(&s);
    std::sort(playing_.begin(), playing_.end(), [](auto* a, auto* b) { return a->order < b->order; });
    for (const MotionState* s : playing_)
    {
        const float weight = s->fadeLength > 0.0f ? std::min(s->fadeMs / s->fadeLength, 1.0f) : 1.0f;
        for (size_t t = 0; t < s->trackFrames.size(); ++t)
        {
            const int f = s->trackFrames[t];
            if (f < 0)
                continue;
            FramePose sampled = pose_[size_t(f)];
            SampleTrack(s->motion->clip.tracks[t], s->frame, sampled);
            if (weight < 1.0f)
                sampled = FramePose::Blend(s->from.size() == n ? s->from[size_t(f)] : pose_[size_t(f)], sampled, weight);
            pose_[size_t(f)] = sampled;
            animated_[size_t(f)] = true;
        }
    }
    std::vector<Matrix4x4>& world = frameWorld_;
    world.resize(n);
    for (size_t f = 0; f < n; ++f)
    {
        const Matrix4x4& parentWorld = data[f].parent >= 0 ? world[size_t(data[f].parent)] : world_;
        Matrix4x4 local = animated_[f] ? pose_[f].matrix() : data[f].local;
        world[f] = local * parentWorld;
        CSceneFrame* frame = resource_->frame(f);
        IPhysicsRigidBody* body = frame->body();
        const Coupling coupling = body ? couplingOf(*frame) : Coupling{};
        if (physics && body && physicsEnabled_ && !kinematic_ && coupling.bodyMovesFrame && !coupling.uncoupled)
        {
            // The simulated body places the frame (and with it the frame's children), keeping the frame's scale.
            Matrix4x4 placed = frame->getRigidBodyMatrix().Inverse() * bodyPlacement(*body);
            for (int r = 0; r < 3; ++r)
            {
                const float have = rowLength(placed, r), want = rowLength(world[f], r);
                for (int c = 0; c < 3 && have > 0.0f; ++c)
                    placed.m[r][c] *= want / have;
            }
            if (coupling.rotationOnly)
                placed._41 = world[f]._41, placed._42 = world[f]._42, placed._43 = world[f]._43;
            world[f] = placed;
            local = placed * parentWorld.Inverse();
        }
        frame->pose(local, world[f]);
    }
    if (physics)
        driveBodies(world);
}

// Bodies the frames drive: every coupled body while physics is off or kinematic, else those not set to move
// their frames.
void CSceneModel::driveBodies(const std::vector<Matrix4x4>& world)
{
    controlled_.resize(world.size());
    for (size_t f = 0; f < world.size(); ++f)
    {
        CSceneFrame* frame = resource_->frame(f);
        IPhysicsRigidBody* body = frame->body();
        if (!body)
        {
            controlled_[f] = {nullptr, false};
            continue;
        }
        const Coupling coupling = couplingOf(*frame);
        if (coupling.uncoupled)
            continue;
        const bool driven = !(physicsEnabled_ && !kinematic_ && coupling.bodyMovesFrame);
        // A body the frame drives is kinematic to the simulation; one that moves its frame is simulated.
        if (controlled_[f].first != body || controlled_[f].second != driven)
        {
            body->setEnableControler(driven ? 1 : 0);
            controlled_[f] = {body, driven};
        }
        if (driven)
            body->setTransform(frame->getRigidBodyMatrix() * world[f]);
    }
}

int CSceneModel::enablePhysics(int enable)
{
    physicsEnabled_ = enable != 0;
    pending_ = true;
    return 0;
}

int CSceneModel::setPhysicsKinematic(int kinematic)
{
    kinematic_ = kinematic != 0;
    pending_ = true;
    return 0;
}

int CSceneModel::resetPhysics()
{
    for (size_t f = 0; f < resource_->frameData().size(); ++f)
    {
        CSceneFrame* frame = resource_->frame(f);
        IPhysicsRigidBody* body = frame->body();
        if (!body || couplingOf(*frame).uncoupled)
            continue;
        // reset stops the body and puts it back where it was made; the frame then places it.
        body->reset();
        body->setTransform(frame->getRigidBodyMatrix() * frame->getWorldMatrix());
    }
    return 0;
}

CSceneModel::MeshState& CSceneModel::meshState(const ModelMesh& mesh)
{
    auto [it, added] = meshes_.try_emplace(mesh.id);
    if (added)
    {
        it->second.materialFlag = mesh.materialFlag;
        for (const ModelMaterial& material : mesh.materials)
            it->second.materials.push_back(material.state);
    }
    return it->second;
}

int CSceneModel::visitMaterials(const char* scope, const char* mesh, const char* material, const Visit& visit)
{
    int count = 0;
    for (const auto& m : resource_->meshes())
    {
        if (!matches(scope, m->file) || !matches(mesh, m->name))
            continue;
        MeshState& s = meshState(*m);
        for (size_t k = 0; k < m->materials.size() && k < s.materials.size(); ++k)
            if (matches(material, m->materials[k].name))
                visit(s.materials[k]), ++count;
    }
    return count;
}

int CSceneModel::setColorUVOffset(const char* mesh, const char* material, const float* offset)
{
    if (!offset)
        return -1;
    return visitMaterials(nullptr, mesh, material, [&](MaterialState& s) {
               s.colorUVOffset[0] = offset[0], s.colorUVOffset[1] = offset[1];
           }) > 0 ? 0 : -1;
}

int CSceneModel::setBumpUVOffset(const char* mesh, const char* material, const float* offset)
{
    if (!offset)
        return -1;
    return visitMaterials(nullptr, mesh, material, [&](MaterialState& s) {
               s.bumpUVOffset[0] = offset[0], s.bumpUVOffset[1] = offset[1];
           }) > 0 ? 0 : -1;
}

int CSceneModel::setExtraUVOffset(const char* mesh, const char* material, const float* offset)
{
    if (!offset)
        return -1;
    return visitMaterials(nullptr, mesh, material, [&](MaterialState& s) {
               s.extraUVOffset[0] = offset[0], s.extraUVOffset[1] = offset[1];
           }) > 0 ? 0 : -1;
}

int CSceneModel::setMaterialFog(const char* mesh, const char* material, int enable)
{
    return visitMaterials(nullptr, mesh, material, [&](MaterialState& s) { s.fog = enable != 0; }) > 0 ? 0 : -1;
}

int CSceneModel::setMeshMaterialFlag(const char* mesh, int flag)
{
    int count = 0;
    for (const auto& m : resource_->meshes())
        if (matches(mesh, m->name))
            meshState(*m).materialFlag = flag, ++count;
    return count > 0 ? 0 : -1;
}

int CSceneModel::setFileMeshVisible(const char* file, const char* mesh, int visible)
{
    int count = 0;
    for (const auto& m : resource_->meshes())
        if (matches(file, m->file) && matches(mesh, m->name))
            meshState(*m).visible = visible != 0, ++count;
    return count > 0 ? 0 : -1;
}

int CSceneModel::setMeshDrawToEnd(const char* file, const char* mesh)
{
    int count = 0;
    for (const auto& m : resource_->meshes())
        if (matches(file, m->file) && matches(mesh, m->name))
            meshState(*m).drawToEnd = nextOrder_++, ++count;
    return count > 0 ? 0 : -1;
}

bool CSceneModel::hasMorph(const char* name) const
{
    for (const auto& m : resource_->meshes())
        for (const ModelMorphTarget& t : m->morphs)
            if (t.name == name)
                return true;
    return false;
}

int CSceneModel::setMorph(const char* channel, int target, const char* morph)
{
    if (!channel || (target != 0 && target != 1))
        return -1;
    // An empty name leaves the target empty; a name no mesh has is refused and changes nothing.
    if (morph && *morph && !hasMorph(morph))
        return -1;
    channels_[channel].targets[target] = morph ? morph : "";
    return 0;
}

int CSceneModel::setMorphWeight(const char* channel, int, int, float weight)
{
    if (!channel || !std::isfinite(weight))
        return -1;
    const auto found = channels_.find(channel);
    if (found == channels_.end())
        return -1;
    found->second.weight = weight;
    return 0;
}

int CSceneModel::getMorphNum(const char* name)
{
    int count = 0;
    for (const auto& m : resource_->meshes())
        if (matches(name, m->name))
            count += int(m->morphs.size());
    return count;
}

int CSceneModel::getMorphName(const char* name, int index, char* buffer, int size)
{
    for (const auto& m : resource_->meshes())
    {
        if (!matches(name, m->name))
            continue;
        if (index >= 0 && size_t(index) < m->morphs.size())
            return WriteName(m->morphs[size_t(index)].name, buffer, size);
        index -= int(m->morphs.size());
    }
    return -1;
}

int CSceneModel::setFaceEffect(const char* part, const char* effect, const float* value)
{
    if (!part)
        return -1;
    if (!effect || !*effect || !value)
        faceEffects_.erase(part);
    else
        faceEffects_[part] = {effect, *value};
    return 0;
}

std::vector<float> CSceneModel::morphWeights(const ModelMesh& mesh) const
{
    std::vector<float> weights(mesh.morphs.size(), 0.0f);
    const auto add = [&](const std::string& name, float w) {
        for (size_t t = 0; t < mesh.morphs.size(); ++t)
            if (mesh.morphs[t].name == name)
                weights[t] += w;
    };
    for (const auto& [name, channel] : channels_)
    {
        if (!channel.targets[0].empty())
            add(channel.targets[0], 1.0f - channel.weight);
        if (!channel.targets[1].empty())
            add(channel.targets[1], channel.weight);
    }
    for (const auto& [part, effect] : faceEffects_)
        add(effect.effect, effect.value);
    return weights;
}

std::vector<PosedMesh> CSceneModel::posedMeshes()
{
    std::vector<std::pair<uint64_t, PosedMesh>> ordered;
    const size_t frameCount = resource_->frameData().size();
    const auto frameWorld = [&](int frame) {
        return frame >= 0 && size_t(frame) < frameCount ? resource_->frame(size_t(frame))->getWorldMatrix() : world_;
    };
    for (const auto& mesh : resource_->meshes())
    {
        MeshState& s = meshState(*mesh);
        PosedMesh posed;
        posed.mesh = mesh;
        posed.world = frameWorld(mesh->frame);
        if (mesh->skin >= 0 && size_t(mesh->skin) < resource_->skins().size())
        {
            const ModelSkin& skin = resource_->skins()[size_t(mesh->skin)];
            for (size_t j = 0; j < skin.joints.size(); ++j)
                posed.palette.push_back(skin.inverseBind[j] * frameWorld(skin.joints[j]));
        }
        posed.morphWeights = morphWeights(*mesh);
        posed.materials = &s.materials;
        posed.visible = mesh->visible && s.visible;
        posed.drawToEnd = s.drawToEnd != 0 || mesh->drawToEnd;
        ordered.emplace_back(s.drawToEnd, std::move(posed));
    }
    std::stable_sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<PosedMesh> out;
    for (auto& [order, posed] : ordered)
        out.push_back(std::move(posed));
    return out;
}

std::optional<float> CSceneModel::hitLine(const char* name, const CLine3D& line, std::string* hitMesh)
{
    std::optional<float> nearest;
    const Vector3D direction = line.GetDirection();
    for (const PosedMesh& posed : posedMeshes())
    {
        const ModelMesh& mesh = *posed.mesh;
        if (!posed.visible || (name && *name && mesh.name != name))
            continue;
        std::vector<Vector3D> points(mesh.vertices.size());
        for (size_t i = 0; i < points.size(); ++i)
        {
            const ModelVertex& v = mesh.vertices[i];
            Vector3D p = v.position;
            for (size_t t = 0; t < mesh.morphs.size(); ++t)
                if (posed.morphWeights[t] != 0.0f && i < mesh.morphs[t].positions.size())
                    p += mesh.morphs[t].positions[i] * posed.morphWeights[t];
            if (posed.palette.empty())
                points[i] = p.Transform(posed.world);
            else
            {
                Vector3D sum;
                for (int k = 0; k < 4; ++k)
                    if (v.weights[k] != 0.0f && v.joints[k] < posed.palette.size())
                        sum += p.Transform(posed.palette[v.joints[k]]) * v.weights[k];
                points[i] = sum;
            }
        }
        for (size_t i = 0; i + 2 < mesh.indices.size(); i += 3)
        {
            const auto t = crossing(line.start, direction, points[mesh.indices[i]], points[mesh.indices[i + 1]],
                                    points[mesh.indices[i + 2]]);
            if (t && (!nearest || *t < *nearest))
            {
                nearest = t;
                if (hitMesh)
                    *hitMesh = mesh.name;
            }
        }
    }
    return nearest;
}

int CSceneModel::checkHitCollisionLine(const char* name, const CLine3D& line)
{
    return hitLine(name, line, nullptr) ? 1 : 0;
}

int CSceneModel::checkSortHitCollisionLine(Vector3D* hit, const CLine3D& line, char* name, int size)
{
    std::string mesh;
    const auto t = hitLine(nullptr, line, &mesh);
    if (!t)
        return 0;
    if (hit)
        *hit = line.GetPoint(*t);
    if (name && size > 0)
        WriteName(mesh, name, size);
    return 1;
}

} // namespace Kavro
