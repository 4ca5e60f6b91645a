// A script types a message with ruby in a system font through the text script class; the frame is
// drawn by the library's headless render device and read back.
#include "ScriptHostFixture.h"

#include "core/CFontPool.h"
#include "core/CTask.h"
#include "core/NGCodeSets.h"
#include "text/Squirrel/SQText.h"

#include "render/RenderDeviceFactory.h"
#include "support/DirectoryFileSystem.h"
#include "support/FakeTaskObjects.h"

#include <kavro/IRenderDevice.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

using namespace OrvaneTest;

namespace
{

constexpr int Width = 320;
constexpr int Height = 120;
constexpr uint32_t Black = 0xFF000000u;

// System fonts make their glyph textures on the core's render device: here the real one.
class RealDeviceCore : public FakeCore
{
public:
    Kavro::IRenderDevice* getRenderDevice() override
    {
        if (!device)
            return FakeCore::getRenderDevice();
        device->addRef();
        return device;
    }

    Kavro::IRenderDevice* device = nullptr;
};

// Draws straight to the device's screen: no back surface of its own.
class ScreenTask : public TestTask
{
public:
    using TestTask::TestTask;

protected:
    Orvane::IRenderTarget* createBackSurface() override { return nullptr; }
};

class SQTextRenderTest : public ScriptHostFixture
{
protected:
    void SetUp() override
    {
        output.clear();
        auto* realCore = new RealDeviceCore;
        core = realCore;
        core->fileSystem = new DirectoryFileSystem(dir.path());
        app = new Orvane::CApp("text render");
        app->setCore(core);
        Orvane::CApp::set(app);
        Orvane::resetNGCodes();
        device = Kavro::CreateRenderDevice(nullptr, Width, Height, core->fileSystem);
        ASSERT_NE(device, nullptr) << "no headless OpenGL 3.3 context (EGL surfaceless)";
        realCore->device = device;
        app->renderDevice = device;
        app->screenWidth = Width;
        app->screenHeight = Height;
        app->frameSpeed = 1.0f;
        app->frameTimeCap = 100.0f;
        app->fontPool = new Orvane::CFontPool;
        core->milliTime = 1000;
        task = new ScreenTask(log, "MAIN");
        app->taskStack.push_back(task);
        writeFile("media/script/main.nut", "while (true) Suspend();\n");
        startHost();
    }
    void TearDown() override
    {
        host.reset();
        app->taskStack.clear();
        if (task)
            task->release();
        delete app->fontPool;
        app->fontPool = nullptr;
        app->renderDevice = nullptr;
        static_cast<RealDeviceCore*>(core)->device = nullptr;
        if (device)
            device->release();
        ScriptHostFixture::TearDown();
    }
    Orvane::Squirrel::SQText* binding(const std::string& name)
    {
        return dynamic_cast<Orvane::Squirrel::SQText*>(task->findTaskObject(name));
    }
    // One frame in the application's order: the script, the fonts' glyph step, world matrices, the
    // binding's render and draw passes, read back, then the update.
    void frame(Orvane::Squirrel::SQText* text)
    {
        core->milliTime += 17;
        host->update();
        app->fontPool->renderGlyphs();
        ASSERT_EQ(device->beginFrame(), 0);
        device->clear(1, &Black);
        text->getEngineObject()->updateWorldMatrix();
        text->render();
        text->draw();
        pixels.assign(size_t(Width) * Height, 0);
        ASSERT_EQ(device->readPixels(nullptr, pixels.data()), 0);
        if (const char* keep = std::getenv("ORVANE_TEXT_PNG_DIR"))
            device->saveTexture((std::string(keep) + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".png").c_str(), nullptr, 0);
        device->endFrame();
        text->update();
    }
    // Pixels of the box brighter than the black background.
    int inked(float left, float top, float w, float h) const
    {
        int count = 0;
        for (int y = int(top); y < int(top + h); ++y)
            for (int x = int(left); x < int(left + w); ++x)
                if (x >= 0 && y >= 0 && x < Width && y < Height &&
                    ((pixels[size_t(y) * Width + size_t(x)] >> 8) & 0xFF) > 40)
                    ++count;
        return count;
    }
    // The brightest green of the box.
    int brightest(int left, int top, int w, int h) const
    {
        int most = 0;
        for (int y = std::max(top, 0); y < std::min(top + h, Height); ++y)
            for (int x = std::max(left, 0); x < std::min(left + w, Width); ++x)
                most = std::max(most, int((pixels[size_t(y) * Width + size_t(x)] >> 8) & 0xFF));
        return most;
    }
    std::vector<float> results()
    {
        std::vector<float> out;
        for (int i = 1; i <= 4; ++i)
            out.push_back(std::stof(eval("SQMATH_RET_" + std::to_string(i))));
        return out;
    }

    CallLog log;
    TestTask* task = nullptr;
    Kavro::IRenderDevice* device = nullptr;
    std::vector<uint32_t> pixels;
};

} // namespace

TEST_F(SQTextRenderTest, TypedMessageShowsRubyAboveItsBase)
{
    ASSERT_EQ(runSnippet("::app <- SQApp(\"app\");"
                         "::fonts <- app.loadSystemFont(\"body\", \"IPAexGothic\", 24, 400, 10, 0, 0)"
                         "  + app.loadSystemFont(\"ruby\", \"IPAexGothic\", 12, 400, 10, 0, 0);"
                         "::msg <- SQText(\"msg\"); msg.initialize(0); msg.setFont(\"body\"); msg.setRubyFont(\"ruby\");"
                         "msg.move(20.0, 40.0, 0, 0);"
                         "::created <- msg.create(\"#{かな}漢字#を表示します\");"),
              "");
    ASSERT_EQ(eval("::fonts"), "2");
    ASSERT_EQ(eval("::created"), "0");
    Orvane::Squirrel::SQText* text = binding("msg");
    ASSERT_NE(text, nullptr);
    frame(text);
    // Typing has begun: the last glyphs are not drawn yet.
    EXPECT_EQ(eval("::msg.isTyping()"), "1");
    int frames = 0;
    while (eval("::msg.isTyping()") == "1" && ++frames < 600)
        frame(text);
    frame(text);
    ASSERT_EQ(eval("::msg.isTyping()"), "0");

    ASSERT_EQ(runSnippet("::msg.getCharacterRect(0)"), "");
    const auto base = results();
    ASSERT_EQ(runSnippet("::msg.getRubyRect(0)"), "");
    const auto ruby = results();
    // The ruby's cell starts above the base glyph's and ends before its middle, over the first two glyphs.
    EXPECT_LT(ruby[1], base[1]);
    EXPECT_LT(ruby[1] + ruby[3], base[1] + base[3] / 2.0f);
    EXPECT_GE(ruby[0], base[0] - 1.0f);
    // Ink in the band above the base glyphs (the ruby), and in the base glyph itself.
    EXPECT_GT(inked(base[0], ruby[1], 2.0f * base[2], base[1] - ruby[1]), 10);
    EXPECT_GT(inked(base[0], base[1], base[2], base[3]), 40);
    // Nothing above the ruby and nothing right of the last glyph.
    EXPECT_EQ(inked(0, 0, Width, ruby[1] - 1.0f), 0);
    ASSERT_EQ(runSnippet("::msg.getCharacterRect(7)"), "");
    const auto last = results();
    EXPECT_EQ(inked(last[0] + last[2] + 2.0f, 0, Width, Height), 0);
}

// A game that never names a ruby font still shows its message; the ruby over it is left out.
TEST_F(SQTextRenderTest, TextWithoutARubyFontDrawsItsBaseGlyphs)
{
    ASSERT_EQ(runSnippet("::app <- SQApp(\"app\");"
                         "::fonts <- app.loadSystemFont(\"body\", \"IPAexGothic\", 24, 400, 10, 0, 0);"
                         "::msg <- SQText(\"msg\"); msg.initialize(0); msg.setFont(\"body\");"
                         "msg.move(20.0, 40.0, 0, 0);"
                         "::created <- msg.create(\"#{かな}漢字#を表示します\"); msg.pushAll();"),
              "");
    ASSERT_EQ(eval("::created"), "0");
    Orvane::Squirrel::SQText* text = binding("msg");
    ASSERT_NE(text, nullptr);
    frame(text);
    frame(text);
    ASSERT_EQ(runSnippet("::msg.getCharacterRect(0)"), "");
    const auto first = results();
    ASSERT_EQ(runSnippet("::msg.getCharacterRect(7)"), "");
    const auto last = results();
    EXPECT_GT(inked(first[0], first[1], first[2], first[3]), 40);
    EXPECT_GT(inked(last[0], last[1], last[2], last[3]), 40);
    // No ruby above the base line.
    EXPECT_EQ(inked(0, 0, Width, first[1] - 1.0f), 0);
    ASSERT_EQ(runSnippet("::msg.getRubyRect(0)"), "");
    EXPECT_EQ(results()[2], 0.0f);
}

// A text with a motion trail that jumps is drawn a moment longer where it was, dimmer, then only
// where it is.
TEST_F(SQTextRenderTest, BlurTrailLeavesADimmerCopyWhereTheTextWas)
{
    ASSERT_EQ(runSnippet("::app <- SQApp(\"app\");"
                         "::fonts <- app.loadSystemFont(\"body\", \"IPAexGothic\", 24, 400, 10, 0, 0);"
                         "::msg <- SQText(\"msg\"); msg.initialize(0); msg.setFont(\"body\"); msg.setRubyFont(\"body\");"
                         "msg.move(20.0, 40.0, 0, 0); msg.create(\"字\"); msg.pushAll();"
                         "msg.setBlur(1, 2, 0.5, 50, 1);"),
              "");
    Orvane::Squirrel::SQText* text = binding("msg");
    ASSERT_NE(text, nullptr);
    for (int i = 0; i < 8; ++i)
        frame(text);
    const int alone = brightest(0, 0, Width, Height);
    ASSERT_GT(alone, 100);
    EXPECT_EQ(brightest(180, 0, Width - 180, Height), 0);

    ASSERT_EQ(runSnippet("::msg.move(200.0, 40.0, 0, 0)"), "");
    frame(text);
    frame(text);
    const int ghost = brightest(0, 0, 120, Height), moved = brightest(180, 0, Width - 180, Height);
    EXPECT_GT(ghost, 20) << "no copy where the text was";
    EXPECT_LT(ghost, moved * 3 / 4) << "the copy is not dimmer";
    EXPECT_GE(moved, alone - 2);

    for (int i = 0; i < 6; ++i)
        frame(text);
    EXPECT_EQ(brightest(0, 0, 120, Height), 0) << "the copy stays";
    EXPECT_GE(brightest(180, 0, Width - 180, Height), alone - 2);
}
