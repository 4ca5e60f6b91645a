// The file script class: exact bytes written, reads back, the text modes of readString, code pages
// and an object without a file.

#include "ScriptHostFixture.h"

#include "script/ReferenceTable.h"

#include "support/FakeTaskObjects.h"
#include "value/SafeFileFaults.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace Orvane;
using namespace OrvaneTest;

namespace
{

class SQFileScript : public ScriptHostFixture
{
protected:
    void SetUp() override
    {
        ScriptHostFixture::SetUp();
        startHost();
    }
    // Opens name for reading as the global F.
    void openForReading(const std::vector<uint8_t>& bytes)
    {
        writeFile("data.bin", bytes);
        ASSERT_EQ(runSnippet("::F <- SQFile(\"file\"); F.open(\"data.bin\", 0, 0)"), "");
        ASSERT_EQ(eval("F.isOpened()"), "1");
    }
    // One read as "text@position", null as "null@position".
    std::string readAt(const char* call)
    {
        output.clear();
        const std::string error = runSnippet(std::string("local v = ") + call +
                                             "; print((v == null ? \"null\" : v) + \"@\" + F.getFilePosition())");
        return error.empty() ? output : "error: " + error;
    }
};

std::vector<uint8_t> bytesOf(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

TEST_F(SQFileScript, WritesExactBytesAndReadsThemBack)
{
    ASSERT_EQ(runSnippet("local f = SQFile(\"out\");"
                         "print(f.open(\"out.bin\", 1, 0) + \",\" + f.writeInteger(1) + \",\" + f.writeFloat(1.0) + \",\""
                         "  + f.writeString(\"ab\", 1) + \",\" + f.writeString(\"c\", 0) + \",\" + f.writeInteger(-2));"
                         "print(\" \" + f.open(\"out.bin\", 0, 0) + \" \" + f.getFileSize());"
                         "print(\" \" + f.readInteger() + \" \" + f.readFloat() + \" \" + f.readString(0) + \" \""
                         "  + f.readInteger() + \" \" + (f.readInteger() == null ? \"null\" : \"?\") + \" \" + f.getFilePosition())"),
              "");
    EXPECT_EQ(output, "0,0,0,0,0,0 0 16 1 1 ab -413 null 16"); // "c" and -2 read back as one integer
    EXPECT_EQ(dir.read("out.bin"), (std::vector<uint8_t>{0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F, 0x61,
                                                         0x62, 0x00, 0x63, 0xFE, 0xFF, 0xFF, 0xFF}));
}

TEST_F(SQFileScript, NumbersMustBeOfTheirOwnType)
{
    ASSERT_EQ(runSnippet("::F <- SQFile(\"out\"); F.open(\"out.bin\", 1, 0)"), "");
    EXPECT_EQ(eval("F.writeFloat(1)"), "error: Incorrect function argument");
    EXPECT_EQ(eval("F.writeInteger(1.0)"), "error: Incorrect function argument");
    EXPECT_EQ(eval("SQFile(5)"), "error: Incorrect function argument");
}

TEST_F(SQFileScript, LineReadsConsumeTheWholeRunOfLineEnds)
{
    openForReading(bytesOf("abc\r\n\r\ndef"));
    EXPECT_EQ(readAt("F.readString(1)"), "abc@7");
    EXPECT_EQ(readAt("F.readString(1)"), "def@10");
    EXPECT_EQ(readAt("F.readString(1)"), "null@10");
}

TEST_F(SQFileScript, TextEndsAndPositions)
{
    struct Case
    {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* call;
        const char* first;
        const char* second;
    };
    const Case cases[] = {
        {"line at a line end", {'\n', '\n', 'x'}, "F.readString(1)", "@2", "x@3"},
        {"line at a zero byte", {0, 'x'}, "F.readString(1)", "@0", "@0"},
        {"zero-terminated", {'a', 0, 'b', 'c'}, "F.readString(0)", "a@2", "bc@5"},
        {"zero-terminated ignores line ends", {'a', '\r', 'b', 0}, "F.readString(0)", "a\rb@4", "null@4"},
        // The byte after a lead byte is never tested, whatever it is.
        {"UTF-8 lead covers a line end", {0xE3, '\n', '\n', 'x', '\n', 'y'}, "F.readString(1)", "\xE3\n\nx@5", "y@6"},
        {"UTF-8 continuation is tested", {0x82, '\r', 'a'}, "F.readString(1)", "\x82@2", "a@3"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        openForReading(c.bytes);
        EXPECT_EQ(readAt(c.call), c.first);
        EXPECT_EQ(readAt(c.call), c.second);
    }
}

TEST_F(SQFileScript, ShiftJisLeadBytesCoverTheNextByte)
{
    // 0x82 0x0D is one character in code page 932, so the CR after the lead byte does not end the line.
    openForReading({'a', 0x82, 0x0D, 'b', '\n', 'c'});
    ASSERT_EQ(runSnippet("F.setStringCodePage(932)"), "");
    EXPECT_EQ(eval("F.readString(1).len() + \"@\" + F.getFilePosition()").substr(1), "@5");
    EXPECT_EQ(readAt("F.readString(1)"), "c@6");
}

TEST_F(SQFileScript, ShiftJisTextIsConvertedBothWays)
{
    ASSERT_EQ(runSnippet("local f = SQFile(\"out\"); f.open(\"sjis.bin\", 1, 0); f.setStringCodePage(932);"
                         "f.writeString(\"あ\", 1); f.open(\"sjis.bin\", 0, 0); f.setStringCodePage(932);"
                         "print(f.readString(0))"),
              "");
    EXPECT_EQ(dir.read("sjis.bin"), (std::vector<uint8_t>{0x82, 0xA0, 0x00}));
    EXPECT_EQ(output, "あ");
}

TEST_F(SQFileScript, UnterminatedTextOfWholeChunksIsStillReturned)
{
    for (const size_t size : {size_t(1024), size_t(2048)})
    {
        SCOPED_TRACE(size);
        const std::vector<uint8_t> bytes(size, 'x');
        for (const int lineMode : {0, 1})
        {
            openForReading(bytes);
            const std::string position = std::to_string(size + (lineMode ? 0 : 1));
            EXPECT_EQ(eval("F.readString(" + std::to_string(lineMode) + ").len() + \"@\" + F.getFilePosition()"),
                      std::to_string(size) + "@" + position);
        }
    }
}

TEST_F(SQFileScript, AnObjectWithoutAFileAnswersQuietly)
{
    ASSERT_EQ(runSnippet("::F <- SQFile(\"file\")"), "");
    const std::string expected = "0 true true true -1 -1 -1 0 0 0 0 0";
    const std::string calls = "F.isOpened() + \" \" + (F.readString(0) == null) + \" \" + (F.readInteger() == null)"
                              " + \" \" + (F.readFloat() == null)"
                              " + \" \" + F.writeString(\"a\", 1) + \" \" + F.writeInteger(1) + \" \" + F.writeFloat(1.0)"
                              " + \" \" + F.getFileSize() + \" \" + F.seekStart(1) + \" \" + F.seekEnd(0) + \" \""
                              " + F.seek(1) + \" \" + F.getFilePosition()";
    EXPECT_EQ(eval(calls), expected);
    EXPECT_EQ(eval("F.open(\"missing.bin\", 0, 0)"), "-1");
    EXPECT_EQ(eval(calls), expected);
}

// The state functions take their file by name from the top task: only an open file object will do.
TEST_F(SQFileScript, StateFunctionsTakeOnlyAnOpenFileObject)
{
    CallLog log;
    TestTask* task = new TestTask(log, "SCENE");
    app->taskStack.push_back(task);
    ASSERT_EQ(runSnippet("::P <- SQProcess(\"process\"); ::C <- SQFile(\"closed\"); ::G <- SQFile(\"failed\");"
                         "G.open(\"missing.bin\", 0, 0)"),
              "");
    for (const char* name : {"process", "closed", "failed", "absent"})
        EXPECT_EQ(eval(std::string("SerializeRootTable(\"") + name + "\", null, null, null) + \" \" + " +
                       "DeserializeRootTable(\"" + name + "\", null, null, null)"),
                  "-1 -2")
            << name;
    // The same name once its file is open writes the state.
    EXPECT_EQ(eval("C.open(\"state.bin\", 1, 0) + \" \" + SerializeRootTable(\"closed\", null, null, null)"), "0 0");
    host.reset();
    app->taskStack.clear();
    task->release();
}

// The four state functions check their arguments as every bound function does: no count check (extra
// arguments are ignored, missing ones are not an error of their own) and "Incorrect function argument"
// for a name that is not a string.
TEST_F(SQFileScript, StateFunctionsIgnoreTheArgumentCountAndCheckTheNameType)
{
    CallLog log;
    TestTask* task = new TestTask(log, "SCENE");
    app->taskStack.push_back(task);
    ASSERT_EQ(runSnippet("::C <- SQFile(\"state\"); C.open(\"state.bin\", 1, 0);"), "");
    const struct
    {
        const char* call;
        const char* result;
    } cases[] = {
        {"typeof CreateReferenceTable()", "null"},
        {"typeof CreateReferenceTable(null)", "null"},
        {"typeof CreateReferenceTable(null, [], 1, 2)", "null"},
        {"typeof ClearReferenceTable(1, \"two\")", "null"},
        {"SerializeRootTable(\"state\")", "0"},
        {"SerializeRootTable(\"state\", null, null)", "0"},
        {"SerializeRootTable(\"state\", null, null, null, 5)", "0"},
        {"SerializeRootTable(\"absent\", null)", "-1"},
        {"SerializeRootTable(1, null, null, null)", "error: Incorrect function argument"},
        {"SerializeRootTable()", "error: Incorrect function argument"},
        {"DeserializeRootTable(\"absent\")", "-2"},
        {"DeserializeRootTable(\"absent\", null, null, null, null)", "-2"},
        {"DeserializeRootTable(null, null, null, null)", "error: Incorrect function argument"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(eval(c.call), c.result) << c.call;
    // A table built without arguments is a real table: the save after it names the root table.
    ASSERT_EQ(runSnippet("CreateReferenceTable()"), "");
    EXPECT_GT(host->getReferenceTable().size(), 0u);
    EXPECT_EQ(runSnippet("ClearReferenceTable(null)"), "");
    EXPECT_EQ(host->getReferenceTable().size(), 0u);
    host.reset();
    app->taskStack.clear();
    task->release();
}

// A save that cannot be finished (the disk is full at close) keeps the old file, and the script learns
// it from its next open.
TEST_F(SQFileScript, ASaveLostAtCloseIsReportedByTheNextOpen)
{
    writeFile("save.bin", std::string("old"));
    ASSERT_EQ(runSnippet("::F <- SQFile(\"out\"); F.open(\"save.bin\", 1, 0); F.writeInteger(7)"), "");
    Kavro::SafeFileFaults::failNext(Kavro::SafeFileFaults::Rename, ENOSPC);
    testing::internal::CaptureStderr();
    EXPECT_EQ(eval("F.open(\"save.bin\", 0, 0) + \" \" + F.isOpened() + \" \" + F.getFileSize()"), "-1 1 3");
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("save.bin could not be saved whole"), std::string::npos) << said;
    EXPECT_EQ(eval("F.open(\"save.bin\", 0, 0)"), "0") << "only the failed close is reported";
}

TEST_F(SQFileScript, SeeksAndLockMarks)
{
    openForReading({1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0});
    EXPECT_EQ(eval("F.seekEnd(-4) + \" \" + F.readInteger()"), "0 3");
    EXPECT_EQ(eval("F.seekStart(4) + \" \" + F.readInteger()"), "0 2");
    EXPECT_EQ(eval("F.seek(-8) + \" \" + F.readInteger()"), "0 1");
    EXPECT_EQ(eval("F.getLock() + \" \" + F.getDisused()"), "0 0");
    EXPECT_EQ(runSnippet("F.setLock(3); F.setDisused(4)"), "");
    EXPECT_EQ(eval("F.getLock() + \" \" + F.getDisused()"), "3 4");
    EXPECT_EQ(eval("SQFile.isOpened.call(SQProcess(\"p\"))"), "error: Invalid Instance Type");
}

} // namespace
