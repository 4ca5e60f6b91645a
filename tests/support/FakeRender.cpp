#include "support/FakeRender.h"

#include "support/Fake3D.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace OrvaneTest
{

FakeTexture::FakeTexture(std::string name_, int width, int height, int kind_)
    : name(std::move(name_)), size{width, height}, kind(kind_), pixels(size_t(width) * size_t(height))
{
}

Kavro::IntPair& FakeTexture::getImageSize(Kavro::IntPair& out)
{
    out = {size[0], size[1]};
    return out;
}

int FakeTexture::lock(int, const Kavro::Rect2DI*)
{
    if (locked)
        return -1;
    locked = true;
    return 0;
}

int FakeTexture::unlock()
{
    if (!locked)
        return -1;
    locked = false;
    return 0;
}

int FakeTexture::readPixels(void* out)
{
    std::memcpy(out, pixels.data(), pixels.size() * 4);
    return 1;
}

int FakeTexture::copyFrom(Kavro::ITexture* source)
{
    const int32_t* s = source->getSize();
    if (s[0] != size[0] || s[1] != size[1])
        return 0;
    return source->readPixels(pixels.data());
}

int RecordingSceneManager::setup(uint32_t* out, const uint32_t* startWord)
{
    log_.add("scene.setup", startWord ? *startWord : 0u);
    if (out)
        *out = 0;
    return 0;
}

int RecordingSceneManager::setRenderTarget(Kavro::ITexture* target)
{
    log_.add("scene.setRenderTarget", target && target->getFileName() ? target->getFileName() : "(screen)");
    return 0;
}

int RecordingSceneManager::renderScene()
{
    log_.add("scene.renderScene");
    return 0;
}

int RecordingSceneManager::finishRender()
{
    log_.add("scene.finishRender");
    return 0;
}

void RecordingSceneManager::getSceneStateDesc(Kavro::CSceneStateDesc& out)
{
    log_.add("scene.getSceneStateDesc");
    out = state;
}

void RecordingSceneManager::setSceneStateDesc(const Kavro::CSceneStateDesc& desc)
{
    log_.add("scene.setSceneStateDesc");
    state = desc;
}

int RecordingSceneManager::commitSceneStateDesc()
{
    log_.add("scene.commitSceneStateDesc");
    return commitResult;
}

Kavro::IParticleSceneObject* RecordingSceneManager::createParticleObject(Kavro::ISceneParticle* particle)
{
    auto* recording = dynamic_cast<RecordingSceneParticle*>(particle);
    const std::string label = recording ? recording->label : "?";
    log_.add("scene.createParticleObject", label);
    if (noParticleObject || !particle)
        return nullptr;
    auto* object = new RecordingParticleSceneObject(log_, particle, label);
    object->addRef();
    particleObjects.push_back(object);
    return object;
}

Kavro::ICamera* RecordingSceneManager::getCurrentCamera()
{
    if (camera)
        camera->addRef();
    return camera;
}

int RecordingSceneManager::setCurrentCamera(Kavro::ICamera* newCamera)
{
    if (newCamera)
        newCamera->addRef();
    if (camera)
        camera->release();
    camera = newCamera;
    return 0;
}

RecordingSceneParticle::RecordingSceneParticle(CallLog& log, std::string label, Kavro::ITexture* texture, int count)
    : label(std::move(label)), count(count), log_(log), texture_(texture)
{
    if (texture_)
        texture_->addRef();
}

RecordingSceneParticle::~RecordingSceneParticle()
{
    if (sceneTexture)
        sceneTexture->release();
    if (texture_)
        texture_->release();
}

int RecordingSceneParticle::begin(int withBillboards, int ribbons)
{
    log_.add(label + ".begin", withBillboards, ribbons);
    if (withBillboards)
        billboards.clear();
    if (ribbons)
    {
        vertices.clear();
        uvs.clear();
        indices.clear();
    }
    return 0;
}

int RecordingSceneParticle::end()
{
    log_.add(label + ".end");
    ++ends;
    return 0;
}

int RecordingSceneParticle::addBillboard(const Kavro::Matrix4x4& matrix, const Kavro::Vector2D& size,
                                         uint32_t colour, const Kavro::Vector4D& sourceRect)
{
    if (int(billboards.size()) >= count)
        return -1;
    billboards.push_back({matrix, size, colour, sourceRect});
    return 0;
}

int RecordingSceneParticle::addTexCoords(const Kavro::Vector2D* uv, int n)
{
    uvs.insert(uvs.end(), uv, uv + n);
    return 0;
}

int RecordingSceneParticle::addVertices(const Kavro::ParticleVertex* v, int n)
{
    vertices.insert(vertices.end(), v, v + n);
    return 0;
}

int RecordingSceneParticle::addIndices(const uint16_t* i, int n)
{
    indices.insert(indices.end(), i, i + n);
    return 0;
}

int RecordingSceneParticle::setBlendMode(int mode)
{
    log_.add(label + ".setBlendMode", mode);
    return 0;
}

int RecordingSceneParticle::setCulling(int mode)
{
    log_.add(label + ".setCulling", mode);
    return 0;
}

int RecordingSceneParticle::setSceneTexture(Kavro::ITexture* texture, const Kavro::Vector2D& size)
{
    log_.add(label + ".setSceneTexture", texture ? "texture" : "none", size.x, size.y);
    if (texture)
        texture->addRef();
    if (sceneTexture)
        sceneTexture->release();
    sceneTexture = texture;
    return 0;
}

int RecordingSceneParticle::setViewProjection(const Kavro::Matrix4x4& matrix)
{
    viewProjection = matrix;
    return 0;
}

int RecordingSceneParticle::setColorOperation(int operation)
{
    log_.add(label + ".setColorOperation", operation);
    return 0;
}

RecordingParticleSceneObject::RecordingParticleSceneObject(CallLog& log, Kavro::ISceneParticle* particle,
                                                           std::string label)
    : log_(log), particle_(particle), label_(std::move(label))
{
    particle_->addRef();
}

RecordingParticleSceneObject::~RecordingParticleSceneObject()
{
    particle_->release();
}

int RecordingParticleSceneObject::setWorldMatrix(const Kavro::Matrix4x4& matrix)
{
    world = matrix;
    return 0;
}

int RecordingParticleSceneObject::draw()
{
    ++draws;
    return logged("draw");
}

int RecordingParticleSceneObject::setBlendMode(int mode)
{
    return logged("setBlendMode", mode);
}

int RecordingParticleSceneObject::setColorOperation(int operation)
{
    return logged("setColorOperation", operation);
}

int RecordingParticleSceneObject::setDepthTest(int enable)
{
    return logged("setDepthTest", enable);
}

int RecordingParticleSceneObject::setDepthWrite(int enable)
{
    return logged("setDepthWrite", enable);
}

int RecordingParticleSceneObject::setCulling(int mode)
{
    return logged("setCulling", mode);
}

namespace
{

const char* nameOf(Kavro::ITexture* texture)
{
    if (!texture)
        return "(screen)";
    return texture->getFileName() ? texture->getFileName() : "(unnamed)";
}

std::string Hex32(uint32_t value)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

} // namespace

RecordingSpriteQuad::RecordingSpriteQuad(CallLog& log, Kavro::ITexture* texture, const std::string& prefix)
    : log_(log), texture_(texture), prefix_(prefix)
{
    if (texture_)
        texture_->addRef();
}

RecordingSpriteQuad::~RecordingSpriteQuad()
{
    if (transitionMask)
        transitionMask->release();
    if (mask_)
        mask_->release();
    if (displacementMap)
        displacementMap->release();
    if (shadeMap)
        shadeMap->release();
    if (camera_)
        camera_->release();
    if (texture_)
        texture_->release();
}

int RecordingSpriteQuad::begin()
{
    log_.add(op("begin"));
    quadCount = 0;
    quads.clear();
    return 0;
}

void RecordingSpriteQuad::record(const Quad& quad)
{
    std::ostringstream line;
    line << "m=";
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            line << (r || c ? " " : "") << quad.matrix.m[r][c];
    line << " c=";
    for (int i = 0; i < 4; ++i)
        line << (i ? " " : "") << quad.corners[i].x << ',' << quad.corners[i].y << ',' << quad.corners[i].z << ','
             << quad.corners[i].w;
    line << " rgba=" << std::hex;
    for (int i = 0; i < 4; ++i)
        line << (i ? " " : "") << quad.colours[i];
    line << std::dec;
    if (quad.textured)
    {
        line << " uv=";
        for (int i = 0; i < 4; ++i)
            line << (i ? " " : "") << quad.uv[i].x << ',' << quad.uv[i].y;
    }
    log_.add(op("addQuad"), line.str());
    quads.push_back(quad);
    ++quadCount;
}

int RecordingSpriteQuad::addQuad(const Kavro::Matrix4x4& matrix, const Kavro::Vector4D corners[4],
                                 const uint32_t colours[4])
{
    Quad quad;
    quad.matrix = matrix;
    for (int i = 0; i < 4; ++i)
        quad.corners[i] = corners[i], quad.colours[i] = colours[i];
    record(quad);
    return 0;
}

int RecordingSpriteQuad::addQuad(const Kavro::Matrix4x4& matrix, const Kavro::Vector4D corners[4],
                                 const uint32_t colours[4], const Kavro::Vector2D uv[4])
{
    Quad quad;
    quad.matrix = matrix;
    quad.textured = true;
    for (int i = 0; i < 4; ++i)
        quad.corners[i] = corners[i], quad.colours[i] = colours[i], quad.uv[i] = uv[i];
    record(quad);
    return 0;
}

int RecordingSpriteQuad::end()
{
    log_.add(op("end"));
    return 0;
}

int RecordingSpriteQuad::draw(const Kavro::Vector2D& offset, const Kavro::Vector4D* colour, float factor)
{
    drawnLists.push_back(quads);
    if (colour)
        log_.add(op("draw"), offset.x, offset.y, colour->x, colour->y, colour->z, colour->w, factor);
    else
        log_.add(op("draw"), offset.x, offset.y, "null", factor);
    return 0;
}

int RecordingSpriteQuad::setBlendMode(int mode)
{
    log_.add(op("setBlendMode"), mode);
    blendMode = mode;
    return 0;
}

int RecordingSpriteQuad::setQuadCount(int count)
{
    log_.add(op("setQuadCount"), count);
    return 0;
}

int RecordingSpriteQuad::setCamera(Kavro::ICamera* camera)
{
    log_.add(op("setCamera"), camera ? "camera" : "null");
    if (camera)
        camera->addRef();
    if (camera_)
        camera_->release();
    camera_ = camera;
    return 0;
}

int RecordingSpriteQuad::setTexture(Kavro::ITexture* texture)
{
    log_.add(op("setTexture"), nameOf(texture));
    if (texture)
        texture->addRef();
    if (texture_)
        texture_->release();
    texture_ = texture;
    return 0;
}

int RecordingSpriteQuad::setFilter(int linear)
{
    log_.add(op("setFilter"), linear);
    filter = linear;
    return 0;
}

int RecordingSpriteQuad::setUVOffset(const Kavro::Vector2D& offset)
{
    log_.add(op("setUVOffset"), offset.x, offset.y);
    uvOffset = offset;
    return 0;
}

int RecordingSpriteQuad::setMask(Kavro::ISpriteQuad* mask)
{
    auto* recorded = dynamic_cast<RecordingSpriteQuad*>(mask);
    log_.add(op("setMask"), recorded ? recorded->prefix() : std::string(mask ? "(other)" : "(null)"));
    if (mask)
        mask->addRef();
    if (mask_)
        mask_->release();
    mask_ = mask;
    return 0;
}

int RecordingSpriteQuad::setDisplacementMap(Kavro::IDisplacementMap* map)
{
    log_.add(op("setDisplacementMap"), map ? nameOf(map->getTexture()) : "null");
    if (map)
        map->addRef();
    if (displacementMap)
        displacementMap->release();
    displacementMap = map;
    return 0;
}

int RecordingSpriteQuad::setShadeMap(Kavro::IShadeMap* map)
{
    log_.add(op("setShadeMap"), map ? nameOf(map->getTexture()) : "null");
    if (map)
        map->addRef();
    if (shadeMap)
        shadeMap->release();
    shadeMap = map;
    return 0;
}

int RecordingSpriteQuad::setMaskSize(int width, int height)
{
    log_.add(op("setMaskSize"), width, height);
    return 0;
}

int RecordingSpriteQuad::setDiffuseOnly(int flag)
{
    log_.add(op("setDiffuseOnly"), flag);
    return 0;
}

int RecordingSpriteQuad::apply()
{
    log_.add(op("apply"));
    return 0;
}

int RecordingSpriteQuad::setTransitionMask(Kavro::ITexture* mask)
{
    log_.add(op("setTransitionMask"), mask ? nameOf(mask) : "null");
    if (transitionMaskResult < 0)
        return transitionMaskResult;
    if (mask)
        mask->addRef();
    if (transitionMask)
        transitionMask->release();
    transitionMask = mask;
    return transitionMaskResult;
}

int RecordingSpriteQuad::setTransition(float from, float to, float value, float vague)
{
    return logged("setTransition", from, to, value, vague);
}

int RecordingSpriteQuad::setDither(Kavro::ITexture* pattern, const Kavro::Vector2D& size)
{
    return logged("setDither", pattern ? nameOf(pattern) : "null", size.x, size.y);
}

int RecordingSpriteQuad::setShadingParameter(int level, float density)
{
    shadingLevel = level;
    shadingDensity = density;
    return logged("setShadingParameter", level, density);
}

int RecordingSpriteQuad::setColorLevel(const float* min, const float* max, const float* power)
{
    colorLevel[0] = *min;
    colorLevel[1] = *max;
    colorLevel[2] = *power;
    return logged("setColorLevel", *min, *max, *power);
}

RecordingRenderDevice::RecordingRenderDevice(CallLog& log)
    : log_(log), scene_(new RecordingSceneManager(log)), defaultTexture_(new FakeTexture("", 1, 1, 1)),
      ditherTexture_(new FakeTexture("dither", 4, 4, 1))
{
}

RecordingRenderDevice::~RecordingRenderDevice()
{
    for (RecordingLineList* list : lineLists)
        list->release();
    for (RecordingSceneParticle* particle : sceneParticles)
        particle->release();
    for (FakeTexture* texture : shared_)
        texture->release();
    defaultTexture_->release();
    ditherTexture_->release();
    scene_->release();
}

Kavro::ISceneManager* RecordingRenderDevice::createSceneManager(int width, int height)
{
    log_.add("createSceneManager", width, height);
    return new RecordingSceneManager(log_);
}

Kavro::IShadowSprite* RecordingRenderDevice::createShadowSprite(Kavro::ITexture* texture)
{
    log_.add("createShadowSprite", nameOf(texture));
    if (noShadowSprite || !texture)
        return nullptr;
    return new RecordingShadowSprite(log_, texture);
}

RecordingShadowSprite::RecordingShadowSprite(CallLog& log, Kavro::ITexture* texture) : log_(log), texture_(texture)
{
    texture_->addRef();
}

RecordingShadowSprite::~RecordingShadowSprite()
{
    texture_->release();
}

int RecordingShadowSprite::setQuad(const Kavro::Matrix4x4&, const Kavro::Vector4D[4], const uint32_t colours[4],
                                   const Kavro::Vector2D[4])
{
    log_.add("shadow.setQuad", Hex32(colours[0]), Hex32(colours[1]), Hex32(colours[2]), Hex32(colours[3]));
    return 0;
}

int RecordingShadowSprite::setShading(int a, float b, float c)
{
    log_.add("shadow.setShading", a, b, c);
    return 0;
}

int RecordingShadowSprite::setRect(float x, float y, float width, float height)
{
    log_.add("shadow.setRect", x, y, width, height);
    return 0;
}

int RecordingShadowSprite::draw(const Kavro::Vector2D& offset, const Kavro::Vector4D* colour, float factor)
{
    if (colour)
        log_.add("shadow.draw", offset.x, offset.y, colour->x, colour->y, colour->z, colour->w, factor);
    else
        log_.add("shadow.draw", offset.x, offset.y, "null", factor);
    return 0;
}

int RecordingShadowSprite::setBlendMode(int mode)
{
    log_.add("shadow.setBlendMode", mode);
    blendMode = mode;
    return 0;
}

int RecordingShadowSprite::setDither(Kavro::ITexture* texture, float width, float height)
{
    log_.add("shadow.setDither", nameOf(texture), width, height);
    return 0;
}

int RecordingRenderDevice::beginFrame()
{
    log_.add("beginFrame");
    return beginResult;
}

int RecordingRenderDevice::endFrame()
{
    log_.add("endFrame");
    return 0;
}

int RecordingRenderDevice::clear(int count, const uint32_t* argb)
{
    char colour[16];
    std::snprintf(colour, sizeof colour, "%08x", argb ? *argb : 0u);
    log_.add("clear", count, colour);
    return 0;
}

FakeTexture* RecordingRenderDevice::noted(FakeTexture* texture)
{
    if (noteTextureReleases)
        texture->releaseNote = {&log_, texture->name};
    return texture;
}

Kavro::ITexture* RecordingRenderDevice::loadTexture(const char* name, int mipLevels, int flags)
{
    const std::string n = name ? name : "";
    log_.add("loadTexture", n, mipLevels, flags);
    if (std::find(missingTextures.begin(), missingTextures.end(), n) != missingTextures.end())
        return nullptr;
    return noted(new FakeTexture(n, loadedWidth, loadedHeight, 0));
}

Kavro::ITexture* RecordingRenderDevice::createTexture(int width, int height, int format, int flags)
{
    log_.add("createTexture", width, height, format, flags);
    if (noTexture || (!emptyTextures && (width <= 0 || height <= 0)))
        return nullptr;
    return new FakeTexture("", width, height, 1);
}

Kavro::ITexture* RecordingRenderDevice::createRenderTexture(int width, int height, int format, int reserved,
                                                            int flag, int reserved2)
{
    log_.add("createRenderTexture", width, height, format, reserved, flag, reserved2);
    return noRenderTexture ? nullptr : new FakeTexture("", width, height, 2);
}

Kavro::ITexture* RecordingRenderDevice::createNamedRenderTexture(const char* name, int width, int height,
                                                                 int format, int flag)
{
    log_.add("createNamedRenderTexture", name ? name : "", width, height, format, flag);
    return new FakeTexture(name ? name : "", width, height, 2);
}

Kavro::ITexture* RecordingRenderDevice::getSharedRenderTexture(int width, int height, int format)
{
    log_.add("getSharedRenderTexture", width, height, format);
    for (FakeTexture* texture : shared_)
        if (texture->size[0] == width && texture->size[1] == height)
        {
            texture->addRef();
            return texture;
        }
    shared_.push_back(new FakeTexture("", width, height, 2));
    shared_.back()->addRef();
    return shared_.back();
}

int RecordingRenderDevice::setRenderTarget(int index, Kavro::ITexture* target, int flags)
{
    log_.add("setRenderTarget", index, nameOf(target), flags);
    target_ = target;
    return 0;
}

Kavro::ITexture* RecordingRenderDevice::getRenderTarget(int)
{
    return target_;
}

int RecordingRenderDevice::fillTexture(Kavro::ITexture*, const uint32_t* rgba)
{
    log_.add("fillTexture", rgba ? *rgba : 0u);
    return 0;
}

int RecordingRenderDevice::clearTexture(Kavro::ITexture* texture, uint32_t argb)
{
    char colour[16];
    std::snprintf(colour, sizeof colour, "%08x", argb);
    log_.add("clearTexture", nameOf(texture), colour);
    return 0;
}

int RecordingRenderDevice::drawDebugText(const Kavro::Vector2D& position, uint32_t colour, const char* font,
                                         const char* text)
{
    log_.add("drawDebugText", position.x, position.y, colour, font ? font : "", text ? text : "");
    return 0;
}

Kavro::ISpriteQuad* RecordingRenderDevice::createSprite(Kavro::ITexture* texture, int quadCount, int reserved,
                                                        int reserved2)
{
    log_.add("createSprite", nameOf(texture), quadCount, reserved, reserved2);
    return new RecordingSpriteQuad(log_, texture ? texture : defaultTexture_);
}

Kavro::IQuad* RecordingRenderDevice::createColorQuad(int quadCount)
{
    log_.add("createColorQuad", quadCount);
    return new RecordingSpriteQuad(log_, nullptr, "colorQuad");
}

Kavro::ISceneParticle* RecordingRenderDevice::createSceneParticle(Kavro::ITexture* texture, int count)
{
    const char* name = texture ? texture->getFileName() : nullptr;
    log_.add("createSceneParticle", name ? name : "", count);
    if (noSceneParticle)
        return nullptr;
    auto* particle =
        new RecordingSceneParticle(log_, "particle" + std::to_string(sceneParticles.size()), texture, count);
    particle->addRef();
    sceneParticles.push_back(particle);
    return particle;
}

Kavro::ILineList* RecordingRenderDevice::createLineList(int count)
{
    log_.add("createLineList", count);
    if (noLineList)
        return nullptr;
    auto* list = new RecordingLineList(log_, count);
    list->addRef();
    lineLists.push_back(list);
    return list;
}

int RecordingLineList::begin()
{
    log_.add("lineList.begin");
    lines.clear();
    return 0;
}

int RecordingLineList::addLine(const Kavro::Matrix4x4& matrix, const Kavro::Vector4D& from, uint32_t fromColour,
                               const Kavro::Vector4D& to, uint32_t toColour)
{
    if (int(lines.size()) >= capacity)
        return -1;
    lines.push_back({matrix, from, fromColour, to, toColour});
    return 0;
}

int RecordingLineList::end()
{
    log_.add("lineList.end", lines.size());
    ++builds;
    return 0;
}

int RecordingLineList::render()
{
    log_.add("lineList.render");
    ++renders;
    return 0;
}

int RecordingLineList::setBlendMode(int mode)
{
    log_.add("lineList.setBlendMode", mode);
    blendMode = mode;
    return 0;
}

Kavro::ISpriteQuad* RecordingRenderDevice::createSpriteMask(Kavro::ITexture* texture, int mode)
{
    log_.add("createSpriteMask", nameOf(texture), mode);
    if (noMaskQuad)
        return nullptr;
    return new RecordingSpriteQuad(log_, texture ? texture : defaultTexture_, "mask");
}

int RecordingRenderDevice::copyTexture(Kavro::ITexture* destination, Kavro::ITexture* source, int mode)
{
    log_.add("copyTexture", nameOf(destination), nameOf(source), mode);
    return 0;
}

int RecordingRenderDevice::copyRenderTarget(Kavro::ITexture* destination)
{
    log_.add("copyRenderTarget", nameOf(destination));
    return 0;
}

Kavro::IDisplacementMap* RecordingRenderDevice::createDisplacementMap(const Kavro::Vector2D& scale)
{
    log_.add("createDisplacementMap", scale.x, scale.y);
    return noEffectMap ? nullptr : new FakeDisplacementMap(log_, screenSize[0], screenSize[1], scale);
}

Kavro::IShadeMap* RecordingRenderDevice::createShadeMap()
{
    log_.add("createShadeMap");
    return noEffectMap ? nullptr : new FakeShadeMap(screenSize[0], screenSize[1]);
}

FakeDisplacementMap::FakeDisplacementMap(CallLog& log, int width, int height, const Kavro::Vector2D& scale_)
    : texture(new FakeTexture("displacement", width, height, 2)), scale(scale_), log_(log)
{
}

FakeDisplacementMap::~FakeDisplacementMap()
{
    texture->release();
}

int FakeDisplacementMap::resize(int width, int height)
{
    log_.add("displacement.resize", width, height);
    texture->size[0] = width;
    texture->size[1] = height;
    texture->pixels.assign(size_t(width) * size_t(height), 0xFF808080u);
    return 0;
}

FakeShadeMap::FakeShadeMap(int width, int height) : texture(new FakeTexture("shade", width, height, 2)) {}

FakeShadeMap::~FakeShadeMap()
{
    texture->release();
}

int RecordingRenderDevice::copyRect(Kavro::ITexture* destination, const Kavro::Rect2DI& d, Kavro::ITexture* source,
                                    const Kavro::Rect2DI& s)
{
    log_.add("copyRect", nameOf(destination), d.left, d.top, d.right, d.bottom, nameOf(source), s.left, s.top,
             s.right, s.bottom);
    return 0;
}

int RecordingRenderDevice::readPixels(Kavro::ITexture* target, void* out)
{
    log_.add("readPixels", nameOf(target));
    return target ? (target->readPixels(out) ? 0 : -1) : -1;
}

int RecordingRenderDevice::saveTexture(const char* path, Kavro::ITexture* target, int format)
{
    log_.add("saveTexture", path ? path : "", nameOf(target), format);
    return 0;
}

Kavro::IModelResource* RecordingRenderDevice::loadModel(const char* path)
{
    return fake3D ? fake3D->loadModel(path) : nullptr;
}

Kavro::ISprite3D* RecordingRenderDevice::createSprite3D(int count, Kavro::ITexture* texture)
{
    return fake3D ? fake3D->createSprite3D(count, texture) : nullptr;
}

Kavro::ICamera* RecordingRenderDevice::createCamera()
{
    return fake3D ? fake3D->createCamera() : nullptr;
}

Kavro::IPointLight* RecordingRenderDevice::createPointLight()
{
    return fake3D ? fake3D->createPointLight() : nullptr;
}

Kavro::IModelAuxiliary* RecordingRenderDevice::createModelAuxiliary(int size)
{
    return fake3D ? fake3D->createModelAuxiliary(size) : nullptr;
}

Kavro::ITexture* RecordingRenderDevice::createMovieTexture(int width, int height)
{
    log_.add("device.createMovieTexture", width, height);
    if (noMovieTexture || width <= 0 || height <= 0)
        return nullptr;
    return noted(new FakeTexture("movie", width, height, 1));
}

int RecordingSceneManager::addSceneNode(Kavro::ISceneNode* node)
{
    return fake3D ? fake3D->addSceneNode(node) : -1;
}

Kavro::ISceneModel* RecordingSceneManager::createSceneModel(Kavro::IModelResource* resource)
{
    return fake3D ? fake3D->createSceneModel(resource) : nullptr;
}

Kavro::ISceneSprite* RecordingSceneManager::addSprite3D(Kavro::ISprite3D* sprite)
{
    return fake3D ? fake3D->addSprite3D(sprite) : nullptr;
}

Kavro::IScenePointLight* RecordingSceneManager::createScenePointLight(Kavro::IPointLight* light)
{
    return fake3D ? fake3D->createScenePointLight(light) : nullptr;
}

Kavro::IInterface* RecordingSceneManager::addModelAuxiliary(Kavro::IModelAuxiliary* auxiliary)
{
    return fake3D ? fake3D->addModelAuxiliary(auxiliary) : nullptr;
}

Kavro::ICamera* RecordingSceneManager::getCamera()
{
    return fake3D ? fake3D->getCamera() : nullptr;
}

int RecordingSceneManager::setCamera(Kavro::ICamera* camera)
{
    return fake3D ? fake3D->setCamera(camera) : -1;
}

Kavro::Vector3D RecordingSceneManager::transformFromWorldToScreen(const Kavro::Vector3D& world)
{
    log_.add("scene.transformFromWorldToScreen", Text(world));
    return worldToScreen;
}

Kavro::Vector3D RecordingSceneManager::transformFromScreenToWorld(const Kavro::Vector3D& screen)
{
    log_.add("scene.transformFromScreenToWorld", Text(screen));
    return screenToWorld;
}

namespace
{

template <typename... Args> int logged(CallLog& log, const char* name, const Args&... args)
{
    log.add(Join({"scene.", name}), args...);
    return 0;
}

} // namespace

int RecordingSceneManager::setLightColor(const Kavro::Vector4D& c)
{
    return logged(log_, "setLightColor", Text(c));
}

int RecordingSceneManager::setLightPosition(const Kavro::Vector4D& p)
{
    return logged(log_, "setLightPosition", Text(p));
}

int RecordingSceneManager::setLightLookAt(const Kavro::Vector4D& t)
{
    return logged(log_, "setLightLookAt", Text(t));
}

int RecordingSceneManager::setShadowMapOffsetRotate(const float& x, const float& y, const float& z)
{
    return logged(log_, "setShadowMapOffsetRotate", x, y, z);
}

int RecordingSceneManager::setProjectionShadowOffsetRotate(const float& x, const float& y, const float& z)
{
    return logged(log_, "setProjectionShadowOffsetRotate", x, y, z);
}

int RecordingSceneManager::setSceneStateShadow(int a, int b, int c)
{
    return logged(log_, "setSceneStateShadow", a, b, c);
}

int RecordingSceneManager::setKeepSubstanceRenderingResult(int keep)
{
    return logged(log_, "setKeepSubstanceRenderingResult", keep);
}

int RecordingSceneManager::setHDRBloomEnable(int enable)
{
    return logged(log_, "setHDRBloomEnable", enable);
}

int RecordingSceneManager::setHDRParameter(float lowLimit, float brightPower)
{
    return logged(log_, "setHDRParameter", lowLimit, brightPower);
}

int RecordingSceneManager::setBloomParameter(float bloom)
{
    return logged(log_, "setBloomParameter", bloom);
}

int RecordingSceneManager::setDOFEnable(int enable)
{
    return logged(log_, "setDOFEnable", enable);
}

int RecordingSceneManager::setDOFParameter(float middle, float far)
{
    return logged(log_, "setDOFParameter", middle, far);
}

int RecordingSceneManager::setToneMappingEnable(int enable)
{
    return logged(log_, "setToneMappingEnable", enable);
}

int RecordingSceneManager::setToneMappingParameter(float bias, float darkClamp, float lightClamp)
{
    return logged(log_, "setToneMappingParameter", bias, darkClamp, lightClamp);
}

int RecordingSceneManager::setSoftFocusEnable(int enable)
{
    return logged(log_, "setSoftFocusEnable", enable);
}

int RecordingSceneManager::setSoftFocusParameter(float blurPower, float blendPower)
{
    return logged(log_, "setSoftFocusParameter", blurPower, blendPower);
}

int RecordingSceneManager::setFogEnable(const int& enable)
{
    return logged(log_, "setFogEnable", enable);
}

int RecordingSceneManager::setFogParameter(const float& nearDistance, const float& farDistance, Kavro::Vector4D colour)
{
    return logged(log_, "setFogParameter", nearDistance, farDistance, Text(colour));
}

int RecordingSceneManager::setRadialBlurParameter(const Kavro::Vector2D& centre, float power)
{
    return logged(log_, "setRadialBlurParameter", Text(centre), power);
}

int RecordingSceneManager::setSoftParticleLength(const float& length)
{
    return logged(log_, "setSoftParticleLength", length);
}

} // namespace OrvaneTest
