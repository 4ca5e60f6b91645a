// The binding base classes: the saved block of a rendering binding in an SQFile named in its task,
// the blur it holds, priority and marks; the process class.

#include "ScriptHostFixture.h"

#include "core/CFile.h"
#include "core/CTask.h"
#include "script/Squirrel/SQFile.h"
#include "support/FakeTaskObjects.h"
#include "script/Squirrel/SQNutObject.h"
#include "script/Squirrel/SQProcess.h"
#include "script/Squirrel/SQRenderer.h"
#include "sprite/CEffectBlur.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

using namespace Orvane;
using namespace Orvane::Squirrel;
using namespace OrvaneTest;

namespace
{

class TestBinding : public SQRenderer<void>
{
public:
    using SQRenderer::SQRenderer;
    void* getEngineObject() override { return nullptr; }
};

std::vector<uint8_t> words(std::initializer_list<uint32_t> values)
{
    std::vector<uint8_t> bytes;
    for (uint32_t value : values)
        for (int i = 0; i < 4; ++i)
            bytes.push_back(uint8_t(value >> (8 * i)));
    return bytes;
}

class BindingBase : public ScriptHostFixture
{
protected:
    void SetUp() override
    {
        ScriptHostFixture::SetUp();
        task = new TestTask(log, "TEST");
        app->taskStack.push_back(task);
        file = new SQFile("save");
        binding = new TestBinding("sprite");
    }
    void TearDown() override
    {
        host.reset();
        delete binding;
        delete file;
        app->taskStack.clear();
        task->release();
        ScriptHostFixture::TearDown();
    }
    int64_t position() { return file->getOpenFile()->getFilePosition(); }

    CallLog log;
    CTask* task = nullptr;
    SQFile* file = nullptr;
    TestBinding* binding = nullptr;
};

TEST_F(BindingBase, TheNullBlurBlockIsTwelveBytesAndReadsBack)
{
    ASSERT_EQ(file->open("block.bin", 1, 0), 0);
    ASSERT_EQ(file->writeInteger(7), 0);
    EXPECT_EQ(binding->serialize("save"), 1);
    EXPECT_EQ(position(), 16);
    ASSERT_EQ(file->open("block.bin", 0, 0), 0);
    EXPECT_EQ(dir.read("block.bin"), words({7, 16, 8, 0}));

    file->seekStart(4);
    EXPECT_EQ(binding->deserialize("save"), 1);
    EXPECT_EQ(position(), 16);
}

TEST_F(BindingBase, AWrongMarkerFailsAndLeavesTheFileAtTheStoredEnd)
{
    std::vector<uint8_t> bytes = words({20, 99, 0, 0xAAAAAAAA, 0xBBBBBBBB});
    writeFile("block.bin", bytes);
    ASSERT_EQ(file->open("block.bin", 0, 0), 0);
    EXPECT_EQ(binding->deserialize("save"), 0);
    EXPECT_EQ(position(), 20);
}

TEST_F(BindingBase, ALongerBlockIsSkippedToItsEnd)
{
    writeFile("block.bin", words({20, 4, 0, 0xAAAAAAAA, 0xBBBBBBBB}));
    ASSERT_EQ(file->open("block.bin", 0, 0), 0);
    EXPECT_EQ(binding->deserialize("save"), 1);
    EXPECT_EQ(position(), 20);
}

TEST_F(BindingBase, TheFileObjectMustBeAnOpenSQFile)
{
    SQProcess process("process");
    EXPECT_EQ(binding->serialize("missing"), 0);
    EXPECT_EQ(binding->serialize("process"), 0);
    EXPECT_EQ(binding->serialize("save"), 0); // not opened
    EXPECT_EQ(binding->deserialize("process"), 0);
    EXPECT_EQ(file->open("missing.bin", 0, 0), -1);
    EXPECT_EQ(binding->deserialize("save"), 0);
}

TEST_F(BindingBase, ABlurRecordIsSavedAndLoadedIntoTheBlurHeld)
{
    EXPECT_EQ(binding->setBlur(1, 3, 0.5f, 100, 0), 0);
    EXPECT_EQ(binding->getBlur()->getType(), 1u);
    ASSERT_EQ(file->open("blur.bin", 1, 0), 0);
    EXPECT_EQ(binding->serialize("save"), 1);
    const int64_t end = position();
    ASSERT_EQ(file->open("blur.bin", 0, 0), 0);
    const std::vector<uint8_t> bytes = dir.read("blur.bin");
    ASSERT_GE(bytes.size(), 20u);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 16), words({uint32_t(end), 4, 1, 12}));

    TestBinding other("other");
    EXPECT_EQ(other.deserialize("save"), 1);
    EXPECT_EQ(position(), end);
    // The record goes into the null blur the binding holds: its settings arrive, it stays inactive.
    EXPECT_EQ(other.getBlur()->getType(), 0u);
    EXPECT_EQ(other.getBlur()->isActive(), 0);
    EXPECT_EQ(other.getBlur()->getCount(), 3u);
    EXPECT_EQ(other.getBlur()->getInterval(), 100u);
    EXPECT_EQ(other.getBlur()->getAlpha(), 500);
    EXPECT_EQ(other.getBlur()->getDrawOrder(), 0u);

    binding->setBlur(0, 0, 0.0f, 0, 0);
    EXPECT_EQ(binding->getBlur()->getType(), 0u);
}

TEST_F(BindingBase, ABlurRecordClaimingMoreSamplesThanTheFileHoldsFails)
{
    binding->setBlur(1, 2, 0.5f, 100, 1);
    ASSERT_EQ(file->open("blur.bin", 1, 0), 0);
    ASSERT_EQ(binding->serialize("save"), 1);
    ASSERT_EQ(file->open("blur.bin", 0, 0), 0);
    std::vector<uint8_t> bytes = dir.read("blur.bin");
    ASSERT_EQ(std::vector<uint8_t>(bytes.begin() + 52, bytes.begin() + 60), words({52, 0})); // empty history
    const std::vector<uint8_t> claim = words({0x40000000});
    std::copy(claim.begin(), claim.end(), bytes.begin() + 56);
    writeFile("bad.bin", bytes);
    ASSERT_EQ(file->open("bad.bin", 0, 0), 0);
    EXPECT_EQ(binding->deserialize("save"), 0);
    EXPECT_EQ(position(), int64_t(bytes.size()));
}

TEST_F(BindingBase, PriorityFlagsTimeScaleAndMarks)
{
    EXPECT_EQ(binding->getPriority(), 0);
    binding->setPriority(5);
    EXPECT_EQ(binding->getPriority(), 5);
    EXPECT_EQ(binding->setErase(1), 1);
    EXPECT_EQ(binding->getErase(), 1);
    EXPECT_EQ(binding->setHidable(2), 2);
    EXPECT_EQ(binding->getHidable(), 2);
    EXPECT_EQ(binding->getTimeScale(), 1.0f);
    binding->setTimeScale(0.25f);
    EXPECT_EQ(binding->getTimeScale(), 0.25f);
    EXPECT_EQ(binding->setLock(1), 1);
    EXPECT_EQ(binding->setDisused(2), 2);
    EXPECT_EQ(binding->getNutObject()->lock, 1);
    EXPECT_EQ(binding->getNutObject()->disused, 2);
    EXPECT_EQ(binding->getNutObject()->getName(), "sprite");
    EXPECT_EQ(binding->markFlag(), 0);
    EXPECT_EQ(binding->getFlag(), 1);

    app->taskStack.clear();
    TestBinding loose("loose");
    EXPECT_EQ(loose.getPriority(), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(loose.getSurface(), nullptr);
    app->taskStack.push_back(task);
}

TEST_F(BindingBase, DrawableClassesRegisterTheCommonMethods)
{
    startHost();
    SquirrelObject scriptClass = SqPlus::RegisterClassType<TestBinding>("TestBinding");
    RegisterRenderingMethods<TestBinding>(scriptClass);
    SquirrelObject instance;
    ASSERT_TRUE(SqPlus::CreateNativeClassInstance(host->getVM(), "TestBinding", binding));
    instance.AttachToStackObject(-1);
    sq_poptop(host->getVM());
    SquirrelVM::GetRootTable().SetValue("B", instance);
    EXPECT_EQ(eval("B.setPriority(3) + \" \" + B.getPriority() + \" \" + B.setErase(1) + B.getErase()"
                   " + \" \" + B.setHidable(2) + B.getHidable() + \" \" + B.setLock(4) + B.getDisused()"),
              "0 3 11 22 40");
}

TEST_F(BindingBase, ProcessesAreFoundByTheirFirstName)
{
    startHost();
    ASSERT_EQ(runSnippet("::P <- SQProcess(\"first\"); print(P.create(\"second\") + \" \" + P.create(\"third\"))"), "");
    EXPECT_EQ(output, "0 0");
    auto* process = dynamic_cast<SQProcess*>(task->findTaskObject("first"));
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(process->getProcessName(), "third");
    EXPECT_EQ(task->findTaskObject("third"), nullptr);
    EXPECT_EQ(eval("P.setLock(4) + \" \" + P.getLock() + \" \" + (P.serialize(\"x\") == null)"), "4 4 true");
    EXPECT_EQ(eval("SQProcess.create.call(SQFile(\"f\"), \"x\")"), "error: Invalid Instance Type");
}

} // namespace
