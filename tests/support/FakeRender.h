#pragma once

#include "support/CallLog.h"

#include <kavro/IRenderDevice.h>
#include <kavro/ISceneManager.h>
#include <kavro/RefCounted.h>

#include <string>
#include <vector>

namespace OrvaneTest
{

// Texture of a given size whose pixels live in memory; logs nothing.
class FakeTexture : public Kavro::RefCounted<Kavro::ITexture>
{
public:
    FakeTexture(std::string name, int width, int height, int kind = 0);

    int isContentsLost() override { return lost; }
    const char* getFileName() override { return name.empty() ? nullptr : name.c_str(); }
    Kavro::IntPair& getImageSize(Kavro::IntPair& out) override;
    const int32_t* getSize() override { return size; }
    int getKind() override { return kind; }
    int getMipLevels() override { return 1; }
    int lock(int level, const Kavro::Rect2DI* rect) override;
    int unlock() override;
    int getPitch() override { return size[0] * 4; }
    void* getData() override { return locked ? pixels.data() : nullptr; }
    void setFilter(int, int) override {}
    int isRenderTarget(int) override { return kind == 2; }
    int readPixels(void* out) override;
    int copyFrom(Kavro::ITexture* source) override;
    int getMemorySize() override { return int(pixels.size() * 4); }
    int saveToFile(const char*) override { return 0; }
    void setContentsLost(int value) override { lost = value; }

    std::string name;
    int32_t size[2];
    int kind;
    int lost = 0;
    bool locked = false;
    std::vector<uint32_t> pixels;
};

class RecordingSceneManager : public Kavro::RefCounted<Kavro::ISceneManager>
{
public:
    explicit RecordingSceneManager(CallLog& log) : log_(log) {}
    int setup(uint32_t* out, const uint32_t* startWord) override;
    int setRenderTarget(Kavro::ITexture* target) override;
    int renderScene() override;
    int finishRender() override;

private:
    CallLog& log_;
};

// Render device that logs every call with its arguments and hands out FakeTextures.
class RecordingRenderDevice : public Kavro::RefCounted<Kavro::IRenderDevice>
{
public:
    explicit RecordingRenderDevice(CallLog& log);
    ~RecordingRenderDevice() override;

    int beginFrame() override;
    int endFrame() override;
    int clear(int count, const uint32_t* argb) override;
    Kavro::ISceneManager* getSceneManager() override { return scene_; }
    Kavro::ITexture* loadTexture(const char* name, int mipLevels, int flags) override;
    Kavro::ITexture* createTexture(int width, int height, int format, int flags) override;
    Kavro::ITexture* createRenderTexture(int width, int height, int format, int reserved, int flag,
                                         int reserved2) override;
    Kavro::ITexture* createNamedRenderTexture(const char* name, int width, int height, int format,
                                              int flag) override;
    int setRenderTarget(int index, Kavro::ITexture* target, int flags) override;
    Kavro::ITexture* getRenderTarget(int index) override;
    int fillTexture(Kavro::ITexture* texture, const uint32_t* rgba) override;
    int drawDebugText(const Kavro::Vector2D& position, uint32_t colour, int font, const char* text) override;

    // What beginFrame answers; a texture name listed here fails to load.
    int beginResult = 0;
    std::vector<std::string> missingTextures;
    int loadedWidth = 64, loadedHeight = 64;

private:
    CallLog& log_;
    RecordingSceneManager* scene_;
    Kavro::ITexture* target_ = nullptr;
};

} // namespace OrvaneTest
