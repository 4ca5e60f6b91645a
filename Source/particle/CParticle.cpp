#include "particle/CParticle.h"

#include "core/CApp.h"
#include "core/CFile.h"
#include "core/CFontPool.h"
#include "core/CTask.h"
#include "core/CameraView.h"
#include "core/IRenderTarget.h"
#include "core/TextEncoding.h"
#include "particle/CParticleCollision.h"
#include "particle/CParticleEmitter.h"
#include "particle/CParticleObject.h"
#include "particle/ParticleCaches.h"
#include "sound/CSound.h"
#include "text/CFont.h"

#include <kavro/ICamera.h>
#include <kavro/ICore.h>
#include <kavro/IRenderDevice.h>
#include <kavro/ISceneManager.h>
#include <kavro/ISceneParticle.h>

#include <algorithm>
#include <cmath>

namespace Orvane
{

using Kavro::Matrix4x4;
using Kavro::Vector2D;
using Kavro::Vector3D;
using namespace Particle;

namespace
{

// The default camera's visible height at z = 0: 2 x 512 x tan(22.5 degrees).
constexpr float DefaultVisibleHeight = 424.1547f;
// Child systems below this depth are not made: a definition that names itself would never end.
constexpr int32_t MaxChildDepth = 8;
// Library particle objects hold 16-bit indices: four vertices per particle stay below this.
constexpr int64_t ParticleVertexLimit = 65535;

Kavro::IRenderDevice* renderDevice()
{
    const CApp* app = CApp::get();
    return app ? app->renderDevice : nullptr;
}

Kavro::ISceneManager* sceneManager()
{
    const CApp* app = CApp::get();
    return app ? app->sceneManager : nullptr;
}

template <class T> void releaseRef(T*& object)
{
    if (object)
        object->release();
    object = nullptr;
}

std::string fontKey(const ParticleRecord& r)
{
    return "ParticleFont_" + fieldText(r.font.name) + "_" + std::to_string(r.font.size) + "_" +
           std::to_string(r.font.width);
}

// A decimal field of the animation list: white space, a sign, digits up to the first other character.
int32_t decimalField(const char* begin, const char* end)
{
    while (begin < end && (*begin == ' ' || *begin == '\t' || *begin == '\n' || *begin == '\v' || *begin == '\f' ||
                           *begin == '\r'))
        ++begin;
    bool negative = false;
    if (begin < end && (*begin == '+' || *begin == '-'))
        negative = *begin++ == '-';
    int64_t value = 0;
    for (; begin < end && *begin >= '0' && *begin <= '9'; ++begin)
        value = std::min<int64_t>(value * 10 + (*begin - '0'), int64_t(1) << 32);
    return int32_t(uint32_t(negative ? -value : value));
}

Matrix4x4 withoutPosition(Matrix4x4 m)
{
    m._41 = m._42 = m._43 = 0.0f;
    return m;
}

// Row lengths: the scale a matrix applies along its own axes.
Vector3D scaleOf(const Matrix4x4& m)
{
    return {Vector3D(m._11, m._12, m._13).Length(), Vector3D(m._21, m._22, m._23).Length(),
            Vector3D(m._31, m._32, m._33).Length()};
}

Vector3D divided(const Vector3D& a, const Vector3D& b)
{
    return {a.x / b.x, a.y / b.y, a.z / b.z};
}

} // namespace

CParticle::CParticle(const std::string& name, const Particle::CParticleParameter& definition)
    : CRenderingTaskObject(name), parameter(definition)
{
    const CApp* app = CApp::get();
    const uint64_t clock = app && app->getCore() ? app->getCore()->getSystemTime() : 0;
    setSeed(uint32_t(clock * uint64_t(reinterpret_cast<uintptr_t>(this))));
    setCamera(nullptr, 512.0f, 45.0f);
}

CParticle::~CParticle()
{
    releaseSounds();
    releaseParticles();
    releaseChildren();
    releaseRef(camera);
    releaseRef(emitter);
    releaseRef(collision);
    for (size_t i = 0; i < textures.size(); ++i)
        releaseTexture(i);
    if (font)
    {
        releaseRef(font);
        if (const CApp* app = CApp::get(); app && app->fontPool)
            app->fontPool->releaseUnused();
    }
}

void CParticle::setSeed(uint32_t value)
{
    seed = value;
    random.Seed(value);
}

// ---- Creation

int CParticle::create()
{
    const ParticleRecord& r = parameter.record;
    takeFont();
    textures.assign(parameter.textureNames.size(), nullptr);
    sceneParticles.assign(textures.size(), nullptr);
    sceneObjects.assign(textures.size(), nullptr);
    releaseSounds();
    if (clampTextureCounts() < 0)
        return failCreation(), -1;
    int32_t maxCount = 0;
    if (budget(maxCount) < 0)
        return failCreation(), -1;
    billboard = r.sprite.use_billboard != 0;
    releaseRef(collision);
    collision = new Particle::CParticleCollision(this);
    if (collision->setup() < 0)
        return failCreation(), -1;
    releaseRef(emitter);
    emitter = new Particle::CParticleEmitter(this);
    if (emitter->setup() < 0)
        return failCreation(), -1;
    for (const SoundBlock* block : {&r.sound.same_time_play, &r.sound.lost_time_play})
    {
        const std::string name = fieldText(block->filename);
        loadSound(name);
        SoundCue& cue = block == &r.sound.same_time_play ? startSound : endSound;
        if (!block->play_per_particle && !name.empty())
        {
            cue.name = name;
            cue.loop = block->loop;
        }
    }
    loadAnimationFrames();
    fillTextureQueues();
    for (size_t i = 0; i < textures.size(); ++i)
        if (loadTexture(i, maxCount) < 0)
            return failCreation(), -1;
    releaseParticles();
    releaseChildren();
    for (Kavro::ISceneParticle* object : sceneParticles)
    {
        object->begin(1, 1);
        object->end();
    }
    buildChildSlots();
    batchSize = r.occur.particle_num.use_random ? randomInt(r.occur.particle_num.num, r.occur.particle_num.random_range)
                                                : r.occur.particle_num.num;
    particles.reserve(size_t(batchSize));
    const float zero = 0.0f;
    for (int32_t i = 0; i < batchSize; ++i)
    {
        auto* particle = new CParticleObject(this, uint32_t(i));
        particles.push_back(particle);
        particle->spawn(&zero);
    }
    return 0;
}

bool CParticle::takeFont()
{
    releaseRef(font);
    CApp* app = CApp::get();
    if (!app || !app->fontPool)
        return false;
    const ParticleRecord& r = parameter.record;
    const std::string key = fontKey(r);
    if (!app->fontPool->lookup(key))
        app->fontPool->loadSystemFont(r.font.size, r.font.width, 10, 0, 0, 1, key, fieldText(r.font.name));
    font = app->fontPool->lookup(key);
    if (font)
        font->addRef();
    return font != nullptr;
}

int CParticle::budget(int32_t& maxCount)
{
    const auto& count = parameter.record.occur.particle_num;
    const auto& polyline = parameter.record.polyline;
    // Negative counts would wrap the batch and the library's buffers.
    if (count.num < 0 || (count.use_random && count.random_range < 0))
        return -1;
    int64_t particlesWanted = count.use_random ? std::max(count.num, count.random_range) : count.num;
    polylineTime = polyline.time;
    polylineCount = polyline.time < 0.0f ? 0 : polyline.num;
    if (polylineCount < 0)
        return -1;
    if (polylineCount != 0)
        particlesWanted *= int64_t(polylineCount) * 2;
    // Computed in 64 bits: the product of two large counts must not wrap below the limit.
    if (particlesWanted * 4 >= ParticleVertexLimit)
        return -1;
    maxCount = int32_t(particlesWanted);
    return 0;
}

void CParticle::loadAnimationFrames()
{
    animationFrames.clear();
    const std::string name = fieldText(parameter.record.animation_filename);
    if (name.empty())
        return;
    CFile file(name.c_str());
    if (file.load() < 0 || file.getFileSize() == 0 || !file.getLoadData())
        return;
    const auto* data = reinterpret_cast<const char*>(file.getLoadData());
    std::string text;
    text.reserve(file.getFileSize() + 1);
    for (uint32_t i = 0; i < file.getFileSize(); ++i)
        if (data[i] != '\r')
            text.push_back(data[i]);
    if (text.empty() || text.back() != '\n')
        text.push_back('\n');
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end)
    {
        int32_t fields[5];
        int read = 0;
        for (; read < 5; ++read)
        {
            const char stop = read == 4 ? '\n' : ',';
            const char* q = p;
            // A field ends at its own separator; a line end before it means the record lacks fields.
            while (q < end && *q != stop && *q != '\n')
                ++q;
            if (q >= end || *q != stop)
                break;
            fields[read] = decimalField(p, q);
            p = q + 1;
        }
        if (read < 5)
            break;
        animationFrames.push_back({float(fields[0]), fields[1], fields[2], fields[3], fields[4]});
    }
}

int CParticle::clampTextureCounts()
{
    // A definition built from a table may count more names than it holds, or none in use: the queues
    // and pickTexture rely on 1 <= texture_use_count <= texture_count <= names.
    ParticleRecord& r = parameter.record;
    if (parameter.textureNames.empty())
        return -1;
    r.texture_count = std::clamp<int32_t>(r.texture_count, 1, int32_t(parameter.textureNames.size()));
    r.texture_use_count = std::clamp<int32_t>(r.texture_use_count, 1, r.texture_count);
    return 0;
}

void CParticle::fillTextureQueues()
{
    const ParticleRecord& r = parameter.record;
    texturesInUse.clear();
    texturePool.clear();
    for (int32_t i = 0; i < r.texture_count; ++i)
        texturePool.push_back(i);
    if (r.texture_use_count > 1 && !texturePool.empty())
    {
        texturePool.push_front(texturePool.back());
        texturePool.pop_back();
    }
    for (int32_t n = 0; n < r.texture_use_count && !texturePool.empty(); ++n)
    {
        const size_t at = r.texture_random == 0 ? 0 : size_t(randomInt(0, int32_t(texturePool.size()) - 1));
        texturesInUse.push_back(texturePool[at]);
        texturePool.erase(texturePool.begin() + ptrdiff_t(at));
    }
}

bool CParticle::glyphCode(const std::string& textureName, uint32_t& code)
{
    if (textureName.find(':') == std::string::npos)
        return false;
    std::u16string wide;
    toWide(65001, textureName, wide);
    // The character stands sixth; a shorter name names none.
    if (wide.size() < 6)
        return false;
    code = wide[5];
    return true;
}

int CParticle::loadTexture(size_t index, int32_t maxCount)
{
    releaseTexture(index);
    const std::string& name = parameter.textureNames[index];
    Kavro::IRenderDevice* device = renderDevice();
    if (name.empty() || !device)
        return -1;
    Kavro::ITexture* texture = nullptr;
    uint32_t code = 0;
    if (name.find(':') == std::string::npos)
    {
        texture = device->loadTexture(name.c_str(), 0, 0);
    }
    else if (font && glyphCode(name, code))
    {
        const FontGlyph glyph = font->getGlyph(code, 0);
        texture = glyph.texture.get();
        if (texture)
            texture->addRef();
    }
    // What cannot be shown shows as an empty texture; a device without empty textures leaves none, and
    // the particles of that texture then draw nothing.
    if (!texture)
        texture = device->createTexture(0, 0, 0, 0);
    textures[index] = texture;
    sceneParticles[index] = device->createSceneParticle(texture, maxCount);
    if (!sceneParticles[index])
        return -1;
    Kavro::ISceneManager* scene = sceneManager();
    sceneObjects[index] = scene ? scene->createParticleObject(sceneParticles[index]) : nullptr;
    if (!sceneObjects[index])
        return -1;
    const Sprite& sprite = parameter.record.sprite;
    Kavro::IParticleSceneObject* object = sceneObjects[index];
    Kavro::ISceneParticle* particle = sceneParticles[index];
    object->setDepthTest(sprite.use_z_buffer != 0);
    object->setDepthWrite(0);
    object->setBlendMode(sprite.blend_mode);
    particle->setBlendMode(sprite.blend_mode);
    const int32_t operations[3] = {4, 2, 3};
    if (sprite.color.culc_mode >= 0 && sprite.color.culc_mode < 3)
    {
        object->setColorOperation(operations[sprite.color.culc_mode]);
        particle->setColorOperation(operations[sprite.color.culc_mode]);
    }
    const int32_t cullings[3] = {2, 0, 1};
    if (sprite.culling_aspect >= 0 && sprite.culling_aspect < 3)
    {
        object->setCulling(cullings[sprite.culling_aspect]);
        particle->setCulling(cullings[sprite.culling_aspect]);
    }
    return 0;
}

void CParticle::releaseTexture(size_t index)
{
    if (index < sceneObjects.size())
        releaseRef(sceneObjects[index]);
    if (index < sceneParticles.size())
        releaseRef(sceneParticles[index]);
    if (index < textures.size())
        releaseRef(textures[index]);
}

void CParticle::releaseParticles()
{
    for (CParticleObject* particle : particles)
        particle->release();
    particles.clear();
}

void CParticle::releaseChildren()
{
    for (ChildEntry& slot : childSlots)
        slot.system = nullptr;
    // Children are released last first, so that each leaves the list it is in.
    while (!children.empty())
    {
        CParticle* child = children.back();
        children.pop_back();
        child->setParent(nullptr);
        child->release();
    }
}

void CParticle::buildChildSlots()
{
    const Occur& o = parameter.record.occur;
    const MakeParticleBlock* blocks[3] = {&o.same_time_make_particle, &o.endress_make_particle,
                                          &o.lost_time_make_particle};
    for (int i = 0; i < 3; ++i)
    {
        const MakeParticleBlock& block = *blocks[i];
        ChildEntry& slot = childSlots[i];
        slot.system = nullptr;
        const std::string name = fieldText(block.particle_name);
        if (!block.enable || name.empty())
            continue;
        slot.definition = Particle::loadParticleParameter(name);
        if (slot.definition.record.is_use_particle && block.execute_particle_level == 0)
            slot.system = createChild(slot.definition);
    }
}

void CParticle::failCreation()
{
    releaseSounds();
    releaseRef(emitter);
    releaseRef(collision);
    for (size_t i = 0; i < textures.size(); ++i)
        releaseTexture(i);
}

CParticle* CParticle::createChild(const Particle::CParticleParameter& definition)
{
    if (depth >= MaxChildDepth)
        return nullptr;
    auto* child = new CParticle(fieldText(definition.record.particle_name), definition);
    child->depth = depth + 1;
    if (child->create() < 0)
    {
        child->release();
        return nullptr;
    }
    child->leaveTaskLists();
    child->setParent(this);
    child->setTimeScale(timeScale);
    child->setSceneTexture(sceneTextureEnable, sceneTextureWidth, sceneTextureHeight, sceneTextureName);
    children.push_back(child);
    return child;
}

int CParticle::removeChild(CParticle* child)
{
    auto it = std::find(children.begin(), children.end(), child);
    if (it == children.end())
        return -1;
    child->setParent(nullptr);
    children.erase(it);
    for (ChildEntry& slot : childSlots)
        if (slot.system == child)
            slot.system = nullptr;
    return 0;
}

// ---- Running

void CParticle::setTask(CTask* newTask)
{
    CRenderingTaskObject::setTask(newTask);
    for (CParticle* child : children)
        child->setTask(newTask);
}

void CParticle::reset()
{
    isRunning = 1;
    isEmitting = 0;
    const float zero = 0.0f;
    for (CParticleObject* particle : particles)
    {
        particle->started = 0;
        particle->spawn(&zero);
    }
    for (CParticle* child : children)
        child->reset();
}

void CParticle::startEmission()
{
    for (CParticle* system = this; system; system = system->childSlots[SameTimeSlot].system)
    {
        system->isEmitting = 1;
        system->playSound(system->startSound.name, system->startSound.loop);
    }
}

void CParticle::stop()
{
    isRunning = 0;
    isEmitting = 0;
    for (CParticle* child : children)
        child->stop();
}

bool CParticle::isAlive() const
{
    return (isRunning && isEmitting) || hasLiveChildren;
}

void CParticle::setAlpha(float value)
{
    alpha = value;
    for (CParticle* child : children)
        child->setAlpha(value);
}

void CParticle::setTimeScale(float value)
{
    timeScale = value;
    for (CParticle* child : children)
        child->setTimeScale(value);
}

void CParticle::setWorldSpace(int32_t value)
{
    worldSpace = value;
    for (CParticle* child : children)
        child->setWorldSpace(value);
}

int CParticle::update()
{
    const CApp* app = CApp::get();
    float dt = timeScale * (app ? app->frameSpeed : 0.0f) * 16.666666f;
    dt = dt < 0.0f ? 0.0f : std::min(dt, std::max(app ? app->frameTimeCap : 0.0f, 0.0f));
    if (!isRunning || !isEmitting)
    {
        hasLiveChildren = 0;
        for (CParticle* child : children)
        {
            child->update();
            hasLiveChildren |= child->isAlive();
        }
        return 0;
    }
    startDelay -= dt;
    if (startDelay > 0.0f)
        return 0;
    startDelay = 0.0f;
    if (CParticle* endless = childSlots[EndlessSlot].system; endless && !endless->isAlive())
    {
        endless->reset();
        endless->startEmission();
    }
    hasLiveChildren = 0;
    for (CParticle* child : children)
    {
        child->update();
        hasLiveChildren |= child->isAlive();
    }
    isRunning = 0;
    for (CParticleObject* particle : particles)
        if (particle->update(&dt) >= 0)
            isRunning = 1;
    rotateTextures();
    if (!isRunning)
    {
        if (findSound(endSound.name))
            playSound(endSound.name, endSound.loop);
        if (CParticle* lost = childSlots[LostTimeSlot].system)
        {
            lost->startEmission();
            hasLiveChildren = 1;
        }
    }
    elapsed += dt;
    return 0;
}

void CParticle::rotateTextures()
{
    if (parameter.textureNames.empty() || texturesInUse.empty())
        return;
    releasedTexture = -1;
    const int32_t oldest = texturesInUse.front();
    for (const CParticleObject* particle : particles)
        if (particle->textureIndex == uint32_t(oldest))
            return;
    texturePool.push_back(oldest);
    releasedTexture = oldest;
    texturesInUse.pop_front();
    const size_t at =
        parameter.record.texture_random == 0 ? 0 : size_t(randomInt(0, int32_t(texturePool.size()) - 1));
    texturesInUse.push_back(texturePool[at]);
    texturePool.erase(texturePool.begin() + ptrdiff_t(at));
}

int32_t CParticle::pickTexture()
{
    const ParticleRecord& r = parameter.record;
    if (texturesInUse.empty())
        return -1;
    size_t at = 0;
    if (r.texture_count == 1 || r.texture_use_count == 1)
        at = 0;
    else if (r.texture_use_count == 2)
        at = 1;
    else
        at = size_t(randomInt(1, r.texture_use_count - 1));
    return texturesInUse[std::min(at, texturesInUse.size() - 1)];
}

float CParticle::randomFloat(float a, float b)
{
    if (a == b)
        return a;
    return random.GetFloat(std::min(a, b), std::max(a, b));
}

int32_t CParticle::randomInt(int32_t a, int32_t b)
{
    if (a == b)
        return a;
    return random.GetInt(std::min(a, b), std::max(a, b));
}

bool CParticle::randomBool()
{
    return random.GetInt(0, 1) != 0;
}

void CParticle::textureRect(uint32_t textureIndex, int32_t rect[4])
{
    rect[0] = rect[1] = rect[2] = rect[3] = 0;
    if (textureIndex >= parameter.textureNames.size())
        return;
    uint32_t code = 0;
    if (glyphCode(parameter.textureNames[textureIndex], code))
    {
        if (!font)
            return;
        const FontGlyph glyph = font->getGlyph(code, 0);
        rect[0] = glyph.x;
        rect[1] = glyph.y;
        rect[2] = glyph.width;
        rect[3] = glyph.height;
        return;
    }
    if (textureIndex < textures.size() && textures[textureIndex])
    {
        rect[2] = textures[textureIndex]->getSize()[0];
        rect[3] = textures[textureIndex]->getSize()[1];
    }
}

// ---- Space, camera and drawing

Vector3D CParticle::getWorldScale()
{
    return worldSpace ? Vector3D(1.0f, 1.0f, 1.0f) : pixelScale;
}

Vector3D CParticle::getParticleScale() const
{
    return worldSpace ? Vector3D(1.0f, 1.0f, 1.0f) : cameraScale;
}

int CParticle::updateWorldMatrix()
{
    local = transform;
    if (!worldSpace)
    {
        local._41 *= pixelScale.x;
        local._42 *= pixelScale.y;
        local._43 *= pixelScale.z;
    }
    CFrame* parent = getParent();
    if (!parent)
    {
        world = local;
    }
    else
    {
        world = local * parent->world;
        const Vector3D s = worldSpace ? Vector3D(1.0f, 1.0f, 1.0f) : divided(getWorldScale(), parent->getWorldScale());
        const Vector3D p = parent->world.GetPosition();
        const Vector3D shift = Vector3D(p.x * s.x, p.y * s.y, p.z * s.z) - p;
        world *= Matrix4x4::GetTranslation(shift.x, shift.y, shift.z);
    }
    for (CFrame* child : getChildren())
        child->updateWorldMatrix();
    return 0;
}

void CParticle::setCamera(Kavro::ICamera* newCamera, float distance, float fieldOfView)
{
    if (newCamera)
        newCamera->addRef();
    releaseRef(camera);
    camera = newCamera;
    const float viewHeight = getTargetViewSize().y;
    cameraScale = Vector3D(1.0f, 1.0f, 1.0f);
    if (camera && distance > 0.0f && camera->getProjection() == 0)
    {
        const float fov = fieldOfView > 0.0f ? fieldOfView : camera->getFieldOfView();
        const float h = 2.0f * std::tan(fov * 0.008726646f) * distance;
        const float c = h / DefaultVisibleHeight;
        cameraScale = Vector3D(c, c, c);
        pixelScale = Vector3D(h / viewHeight, h / viewHeight, h / viewHeight);
    }
    else
    {
        const float p = DefaultVisibleHeight / viewHeight;
        pixelScale = Vector3D(p, p, p);
    }
    for (CParticle* child : children)
        child->setCamera(newCamera, distance, fieldOfView);
}

void CParticle::setSceneTexture(int32_t enable, int32_t width, int32_t height, const std::string& name)
{
    sceneTextureEnable = enable;
    sceneTextureWidth = width;
    sceneTextureHeight = height;
    sceneTextureName = name;
    Kavro::IRenderDevice* device = renderDevice();
    Kavro::ITexture* texture = nullptr;
    if (enable && device)
    {
        texture = name.empty() ? nullptr : device->loadTexture(name.c_str(), 0, 0);
        if (!texture)
        {
            texture = device->getDefaultTexture();
            if (texture)
                texture->addRef();
        }
    }
    applySceneTexture(texture);
    releaseRef(texture);
    for (CParticle* child : children)
        child->setSceneTexture(enable, width, height, name);
}

void CParticle::applySceneTexture(Kavro::ITexture* texture)
{
    const Vector2D size{float(sceneTextureWidth), float(sceneTextureHeight)};
    for (Kavro::ISceneParticle* object : sceneParticles)
        if (object)
            object->setSceneTexture(texture, size);
}

void CParticle::updateBillboardMatrix()
{
    if (!billboard)
    {
        billboardMatrix = Matrix4x4();
        return;
    }
    Kavro::ICamera* view = nullptr;
    if (!worldSpace)
        view = camera;
    else if (Kavro::ISceneManager* scene = sceneManager())
        view = scene->getCurrentCamera();
    Matrix4x4 m;
    if (view)
    {
        // The camera's own orientation: the inverse of its view rotation turns a quad to face it.
        m = withoutPosition(Matrix4x4().LookAt(view->getEye(), view->getTarget(), view->getUp())).Inverse();
        if (worldSpace)
            view->release();
    }
    const Matrix4x4 parentWorld = getParentWorldMatrix();
    const Vector3D s = scaleOf(parentWorld);
    m *= Matrix4x4::GetScaling(s.x != 0.0f ? 1.0f / s.x : 1.0f, s.y != 0.0f ? 1.0f / s.y : 1.0f,
                               s.z != 0.0f ? 1.0f / s.z : 1.0f);
    m *= withoutPosition(parentWorld).Inverse();
    billboardMatrix = m;
}

int CParticle::render()
{
    if (isRunning)
    {
        updateBillboardMatrix();
        for (Kavro::IParticleSceneObject* object : sceneObjects)
            if (object)
                object->setWorldMatrix(world);
    }
    for (CParticle* child : children)
        child->render();
    if (isRunning && isEmitting)
    {
        for (const int32_t i : texturesInUse)
            sceneParticles[size_t(i)]->begin(1, 1);
        for (CParticleObject* particle : particles)
            particle->draw();
        for (const int32_t i : texturesInUse)
            sceneParticles[size_t(i)]->end();
        if (releasedTexture >= 0 && size_t(releasedTexture) < sceneParticles.size())
        {
            sceneParticles[size_t(releasedTexture)]->begin(1, 1);
            sceneParticles[size_t(releasedTexture)]->end();
        }
    }
    return 0;
}

Matrix4x4 CParticle::viewProjection()
{
    const Vector2D view = getTargetViewSize();
    // In world space the system is seen through the scene's camera.
    if (worldSpace)
        if (Kavro::ISceneManager* scene = sceneManager())
            if (Kavro::ICamera* sceneCamera = scene->getCurrentCamera())
            {
                const Matrix4x4 m = AppendViewProjection(Matrix4x4(), sceneCamera, view);
                sceneCamera->release();
                return m;
            }
    if (camera)
        return AppendViewProjection(Matrix4x4(), camera, view);
    return Matrix4x4().LookAt({0.0f, 0.0f, -512.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}) *
           Matrix4x4().Perspective(45.0f, view.x / view.y, 10.0f, 10000000.0f);
}

int CParticle::updateProjection()
{
    for (CParticle* child : children)
        child->updateProjection();
    if (!isRunning || !(alpha > 0.0f))
        return 0;
    const Matrix4x4 m = world * viewProjection();
    for (Kavro::ISceneParticle* object : sceneParticles)
        if (object)
            object->setViewProjection(m);
    return 0;
}

void CParticle::drawScene()
{
    for (CParticle* child : children)
        child->drawScene();
    if (!isRunning || !(alpha > 0.0f))
        return;
    for (Kavro::IParticleSceneObject* object : sceneObjects)
        if (object)
            object->draw();
}

int CParticle::draw()
{
    updateProjection();
    drawScene();
    return 0;
}

// ---- Sounds

int CParticle::loadSound(const std::string& name)
{
    if (name.empty() || sounds.count(name))
        return 0;
    CTask* owner = getTask();
    CSound* sound = owner ? owner->createSound(name) : nullptr;
    if (!sound)
        return -1;
    sound->setType(2);
    sounds.emplace(name, sound);
    return 0;
}

int CParticle::playSound(const std::string& name, int32_t loop)
{
    CSound* sound = findSound(name);
    if (!sound)
        return -1;
    if (loop)
        sound->setLoop(-1, 0, 0);
    sound->play();
    return 0;
}

CSound* CParticle::findSound(const std::string& name) const
{
    auto it = sounds.find(name);
    return it == sounds.end() ? nullptr : it->second;
}

void CParticle::releaseSounds()
{
    for (auto& [name, sound] : sounds)
        sound->release();
    sounds.clear();
}

} // namespace Orvane
