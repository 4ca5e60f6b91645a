// The game's script registrations: calculation strings, file checks, the W1 and INI readers.
#include "GameScriptFunctions.h"
#include "ScriptHostFixture.h"

#include "fs/ArchiveFileSystem.h"
#include "core/TextEncoding.h"

#include <kavro/ArchiveKey.h>
#include <kavro/Wpk2Writer.h>

#include <gtest/gtest.h>

#include <string>

using namespace Orvane;
using OrvaneTest::ScriptHostFixture;

namespace
{

class GameScripts : public ScriptHostFixture
{
protected:
    void SetUp() override
    {
        ScriptHostFixture::SetUp();
        setEngineCodePage(CodePageUtf8);
        startHost();
        host->addRegistration(&RegisterGameScriptFunctions);
        host->runRegistrations();
        ASSERT_EQ(runSnippet("function show(v) { return v == null ? \"null\" : typeof v + \" \" + v }\n"
                             "function calc(t) { local r = ConvertW1CalcString(t);"
                             " return show(r[0]) + \"|\" + show(r[1]) + \"|\" + show(r[2]) }"),
                  "");
    }
};

} // namespace

TEST_F(GameScripts, CalculationStrings)
{
    const char* cases[][2] = {
        {"A=1", "string =|string A|integer 1"},
        {"FLAG", "null|string FLAG|null"},
        {"X<=3", "string <|string X|string =3"},
        {"V!=true", "string !|string V|string =true"},
        {"V+TRUE", "string +|string V|integer 1"},
        {"=5", "string =|null|integer 5"},
        {"N-", "string -|string N|null"},
        {"a b = c", "string =|string a b |string  c"},
        {"-5", "string -|null|integer 5"},
        {"007", "null|integer 7|null"},
        {"x*False", "string *|string x|integer 0"},
        {"n%99999999999", "string %|string n|integer 2147483647"},
        {"1.5>+2", "string >|string 1.5|string +2"},
        {"", "null|null|null"},
        {"名前/値", "string /|string 名前|string 値"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(eval(std::string("calc(\"") + text + "\")"), expected) << text;
    EXPECT_EQ(eval("ConvertW1CalcString(1)"), "error: Incorrect function argument");
}

TEST_F(GameScripts, CheckFileExistsAsksTheLibrary)
{
    writeFile("media/data/here.txt", "x");
    EXPECT_EQ(eval("CheckFileExists(\"media/data/here.txt\")"), "1");
    EXPECT_EQ(eval("CheckFileExists(\"media/data/gone.txt\")"), "0");
    EXPECT_EQ(eval("CheckFileExists(null)"), "error: Incorrect function argument");

    Kavro::Wpk2Writer writer(Kavro::BuildArchiveKey());
    writer.add("media/data/packed.txt", std::vector<uint8_t>{'p'});
    ASSERT_TRUE(writer.writeFile(dir.file("data.wpk"), nullptr));
    core->fileSystem->release();
    core->fileSystem = Kavro::CreateArchiveFileSystem();
    const auto key = Kavro::BuildArchiveKey();
    const uint32_t keyLength = 32;
    ASSERT_EQ(core->fileSystem->mount(dir.file("data.wpk").c_str(), key.data(), &keyLength), 0);
    EXPECT_EQ(eval("CheckFileExists(\"media/data/packed.txt\")"), "1");
    EXPECT_EQ(eval("CheckFileExists(\"media/data/other.txt\")"), "0");
}

TEST_F(GameScripts, W1ReaderFromScripts)
{
    writeFile("media/w1/scene.txt", "Hello <NAME ID=\"a1\" X=\"2\" ID=\"b2\">world // note\n");
    ASSERT_EQ(runSnippet("reader <- SQW1ScriptReader(\"reader\")"), "");
    EXPECT_EQ(eval("reader.getLineNum()"), "0");
    EXPECT_EQ(eval("reader.read(\"media/w1/scene.txt\")"), "1");
    EXPECT_EQ(eval("reader.read(\"media/w1/missing.txt\")"), "0");
    EXPECT_EQ(eval("reader.getLineNum()"), "2");
    EXPECT_EQ(eval("(function() { local out = \"\"; foreach (r in reader.getLine(0)) {"
                   " out += \"[\" + r.name + \"|\" + r.value + \"|\";"
                   " foreach (k, v in r.attr) out += k + \"=\" + v + \";\"; out += \"]\" } return out })()"),
              "[|Hello |][NAME||ID=b2;X=2;][|world |]");
    EXPECT_EQ(eval("reader.getLine(1).len()"), "0");
    EXPECT_EQ(eval("reader.getLine(2) == null && reader.getLine(-1) == null"), "true");
    EXPECT_EQ(eval("reader.read(\"media/w1/scene.txt\") + \" \" + reader.getLineNum()"), "1 4"); // appends
    EXPECT_EQ(eval("reader.getLine(\"0\")"), "error: Incorrect function argument");
    EXPECT_EQ(eval("SQW1ScriptReader(1)"), "error: Incorrect function argument");
    EXPECT_EQ(eval("reader.getLineNum.call(SQIniFileReader(\"ini\"))"), "error: Invalid Instance Type");
    EXPECT_EQ(eval("reader.getName()"), "error: the index 'getName' does not exist");
}

TEST_F(GameScripts, IniReaderFromScripts)
{
    writeFile("media/config.ini", "[Game]\nLEVEL=3\nTITLE=\"Orvane\"\n");
    ASSERT_EQ(runSnippet("ini <- SQIniFileReader(\"ini\")"), "");
    EXPECT_EQ(eval("ini.getInt(\"Game\", \"LEVEL\", -1) + \" \" + ini.getString(\"Game\", \"TITLE\", \"none\")"),
              "-1 none"); // defaults before any load
    EXPECT_EQ(eval("ini.load(\"media/missing.ini\") < 0"), "true");
    EXPECT_EQ(eval("ini.load(\"media/config.ini\")"), "0");
    EXPECT_EQ(eval("ini.getInt(\"Game\", \"LEVEL\", -1) + \" \" + ini.getString(\"Game\", \"TITLE\", \"none\")"),
              "3 Orvane");
    // A value of the other type gives the default.
    EXPECT_EQ(eval("ini.getInt(\"Game\", \"TITLE\", -1) + \" \" + ini.getString(\"Game\", \"LEVEL\", \"none\")"),
              "-1 none");
    EXPECT_EQ(eval("ini.getInt(\"Other\", \"LEVEL\", 7)"), "7");
    EXPECT_EQ(eval("ini.getInt(\"Game\", \"LEVEL\", 1.0)"), "error: Incorrect function argument");
    EXPECT_EQ(eval("ini.getString(\"Game\", \"TITLE\", null)"), "error: Incorrect function argument");
}

TEST_F(GameScripts, RegisteredAgainAfterAReset)
{
    host->reset();
    host->setPrintCallback(nullptr);
    EXPECT_EQ(runSnippet("ConvertW1CalcString(\"a=1\"); CheckFileExists(\"x\"); SQW1ScriptReader(\"r\");"
                         " SQIniFileReader(\"i\")"),
              "");
}
