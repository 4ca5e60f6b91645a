// Script files: the path rule, the precompiled "SCRP" form (and damaged ones), the source rewrites,
// and files read out of a WPK2 archive.
#include "ScriptHostFixture.h"

#include "fs/ArchiveFileSystem.h"
#include "core/TextEncoding.h"

#include <kavro/ArchiveKey.h>
#include <kavro/Wpk2Writer.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace Orvane;
using OrvaneTest::ScriptHostFixture;

namespace
{

constexpr uint32_t TypeNull = 0x01000001;
constexpr uint32_t TypeInteger = 0x05000002;
constexpr uint32_t TypeFloat = 0x05000004;
constexpr uint32_t TypeString = 0x08000010;
constexpr uint32_t TypeTable = 0x0A000020;

void put16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(uint8_t(value >> shift));
}

void putBytes(std::vector<uint8_t>& out, const std::string& bytes)
{
    out.insert(out.end(), bytes.begin(), bytes.end());
}

SQInteger appendBytes(SQUserPointer target, SQUserPointer data, SQInteger size)
{
    auto* out = static_cast<std::vector<uint8_t>*>(target);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
    return size;
}

// The serialised closure of a source text, as the language's own writer makes it.
std::vector<uint8_t> compileToClosure(const std::string& source)
{
    std::vector<uint8_t> out;
    HSQUIRRELVM vm = sq_open(1024);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_compilebuffer(vm, source.c_str(), SQInteger(source.size()), "console_buffer", SQTrue)));
    EXPECT_TRUE(SQ_SUCCEEDED(sq_writeclosure(vm, &appendBytes, &out)));
    sq_close(vm);
    return out;
}

// One entry of the value table: the name is stored with its terminating zero unless told otherwise.
struct Entry
{
    std::string name;
    uint32_t type;
    std::vector<uint8_t> value;
};

Entry integerEntry(const std::string& name, int32_t value)
{
    Entry entry{name + '\0', TypeInteger, {}};
    put32(entry.value, uint32_t(value));
    return entry;
}

Entry floatEntry(const std::string& name, float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    Entry entry{name + '\0', TypeFloat, {}};
    put32(entry.value, bits);
    return entry;
}

Entry stringEntry(const std::string& name, const std::string& storedText)
{
    Entry entry{name + '\0', TypeString, {}};
    put32(entry.value, uint32_t(storedText.size()));
    putBytes(entry.value, storedText);
    return entry;
}

// Header, then the closure, then the value table.
std::vector<uint8_t> buildPrecompiled(const std::vector<Entry>& entries, const std::vector<uint8_t>& closure)
{
    std::vector<uint8_t> file;
    putBytes(file, "SCRP");
    put32(file, 16);
    put32(file, uint32_t(closure.size()));
    put32(file, uint32_t(16 + closure.size()));
    file.insert(file.end(), closure.begin(), closure.end());
    put32(file, uint32_t(entries.size()));
    for (const Entry& entry : entries)
    {
        put16(file, uint16_t(entry.name.size()));
        putBytes(file, entry.name);
        put32(file, entry.type);
        file.insert(file.end(), entry.value.begin(), entry.value.end());
    }
    return file;
}

class ScriptLoading : public ScriptHostFixture
{
protected:
    // loadScript, leaving the stack as it was; the loader's result.
    int load(const std::string& name)
    {
        HSQUIRRELVM vm = host->getVM();
        const SQInteger top = sq_gettop(vm);
        const int result = host->loadScript(name.c_str(), 0);
        if (result == 0)
            EXPECT_EQ(sq_gettop(vm), top + 1) << name;
        else
            EXPECT_EQ(sq_gettop(vm), top) << name;
        sq_settop(vm, top);
        return result;
    }
};

} // namespace

TEST_F(ScriptLoading, PathRule)
{
    writeFile("media/script/title.nut", "return 1");
    writeFile("media/script/a.nut", "return 1");
    writeFile("sub/media_x.nut", "return 1");
    writeFile("media/script/sub/media_x.nut", "return 1");
    startHost();
    EXPECT_EQ(load("title.nut"), 0);          // media/script/title.nut
    EXPECT_EQ(load("media/script/a.nut"), 0); // as given
    std::filesystem::remove(dir.path() / "media/script/sub/media_x.nut");
    EXPECT_EQ(load("sub/media_x.nut"), 0); // as given, not under media/script
    EXPECT_EQ(load("missing.nut"), -1);
    EXPECT_EQ(CSquirrel::getErrorText(), "");
}

TEST_F(ScriptLoading, PrecompiledValuesGoToTheRootTableAndTheClosureRuns)
{
    const auto closure = compileToClosure(
        "print(NUM + \" \" + RATIO + \" \" + TITLE + \" \" + (NOTHING == null) + \" \" + (\"SKIPPED\" in this))");
    Entry nothing{std::string("NOTHING") + '\0', TypeNull, {}};
    Entry skipped{std::string("SKIPPED") + '\0', TypeTable, {}};
    writeFile("media/script/main.nut",
              buildPrecompiled({integerEntry("NUM", 42), floatEntry("RATIO", 2.5f), skipped,
                                stringEntry("TITLE", std::string("タイトル") + '\0'), nothing},
                               closure));
    CSquirrel& squirrel = startHost();
    EXPECT_EQ(squirrel.update(), 0);
    EXPECT_EQ(output, "42 2.5 タイトル true false");
    EXPECT_EQ(CSquirrel::getErrorText(), "");
}

TEST_F(ScriptLoading, MalformedEntriesStayWithinTheirCountedBytes)
{
    const auto closure = compileToClosure("print(NAKED + \"|\" + EMPTY + \"|\" + UNENDED)");
    Entry naked = integerEntry("NAKED", 0);
    naked = {"NAKED", TypeString, {}}; // name without its zero
    put32(naked.value, 3);
    putBytes(naked.value, "abc"); // text without its zero
    Entry empty = stringEntry("EMPTY", "");
    Entry unended = stringEntry("UNENDED", std::string("xy\0z", 4));
    Entry noName{"", TypeInteger, {1, 0, 0, 0}}; // a nameless entry creates nothing
    writeFile("media/script/main.nut", buildPrecompiled({naked, empty, unended, noName}, closure));
    CSquirrel& squirrel = startHost();
    EXPECT_EQ(squirrel.update(), 0);
    EXPECT_EQ(output, "abc||xy");
}

TEST_F(ScriptLoading, EmptyTableOnlyPushesTheClosure)
{
    writeFile("media/script/empty.nut", buildPrecompiled({}, compileToClosure("return 5")));
    startHost();
    EXPECT_EQ(load("empty.nut"), 0);
}

TEST_F(ScriptLoading, DamagedPrecompiledFilesFail)
{
    const auto closure = compileToClosure("local x = 1; return x + A");
    const auto good = buildPrecompiled({integerEntry("A", 1), stringEntry("B", std::string("text") + '\0')}, closure);
    startHost();
    for (size_t length = 0; length < good.size(); ++length)
    {
        writeFile("media/script/cut.nut", std::vector<uint8_t>(good.begin(), good.begin() + long(length)));
        const int result = load("cut.nut");
        // A file of fewer than four bytes is not precompiled: it is compiled as (broken) source.
        if (length >= 4)
        {
            EXPECT_EQ(result, -1) << "cut at " << length;
        }
    }
    auto hostile = [&](size_t offset, uint32_t value) {
        auto bytes = good;
        std::memcpy(bytes.data() + offset, &value, 4);
        writeFile("media/script/hostile.nut", bytes);
        return load("hostile.nut");
    };
    EXPECT_EQ(hostile(4, 0xFFFFFFF0u), -1);                  // closure offset beyond the file
    EXPECT_EQ(hostile(8, 0xFFFFFFF0u), -1);                  // closure size beyond the file
    EXPECT_EQ(hostile(12, 0xFFFFFFFFu), -1);                 // table offset beyond the file
    const size_t table = 16 + closure.size();
    EXPECT_EQ(hostile(table, 0x7FFFFFFFu), -1); // an entry count far beyond the data
    auto longName = good;
    longName[table + 4] = 0xFF; // a name length beyond the data
    longName[table + 5] = 0xFF;
    writeFile("media/script/long.nut", longName);
    EXPECT_EQ(load("long.nut"), -1);
    auto corrupt = good;
    corrupt[16] ^= 0xFF; // the closure's stream tag
    writeFile("media/script/corrupt.nut", corrupt);
    EXPECT_EQ(load("corrupt.nut"), -1);
}

TEST_F(ScriptLoading, PreprocessingRules)
{
    setEngineCodePage(CodePageUtf8);
    const char* cases[][3] = {
        // source, without the function rewrite, with it
        {"a......//c", "a      //c", "a      //c"},
        {".....//", "     //", "     //"},
        {"....//", "    //", "    //"},
        {"...//", "   //", "   //"},
        {"x..// y.// z", "x  // y // z", "x  // y // z"},
        {"........// eight", "..      // eight", "..      // eight"},
        {"a.b // c", "a.b // c", "a.b // c"},
        {"function foo() {}", "function foo() {}", "function CCommand::foo() {}"},
        {"function a() {} function b() {}", "function a() {} function b() {}",
         "function CCommand::a() {} function CCommand::b() {}"},
        {"local f = function(x) {}", "local f = function(x) {}", "local f = function(x) {}"},
        {"print(\"日本語.//\")", "print(\"日本語 //\")", "print(\"日本語 //\")"},
        {"\xEF\xBB\xBFlocal a = 1", "local a = 1", "local a = 1"}, // the byte-order mark is dropped
    };
    for (const auto& [source, plain, rewritten] : cases)
    {
        std::string text = source;
        CSquirrel::preprocessSource(text, 0);
        EXPECT_EQ(text, plain) << source;
        text = source;
        CSquirrel::preprocessSource(text, 1);
        EXPECT_EQ(text, rewritten) << source;
    }
    std::string broken = "a.//\xFF"; // undecodable: left as loaded
    CSquirrel::preprocessSource(broken, 0);
    EXPECT_EQ(broken, "a.//\xFF");
}

TEST_F(ScriptLoading, PreCompileAndIncludeFileFromScripts)
{
    setEngineCodePage(CodePageUtf8);
    writeFile("media/script/main.nut", "print(PreCompile(\"function f() {} ..//\") + \"|\")\n"
                                       "CCommand <- {}\n"
                                       "print(IncludeFile(\"commands.nut\") + \"|\")\n"
                                       "CCommand.run()\n");
    writeFile("media/script/commands.nut", "function run() { print(\"run\") } // rewritten...// here\n");
    CSquirrel& squirrel = startHost();
    EXPECT_EQ(squirrel.update(), 0);
    EXPECT_EQ(output, "function f() {}   //|0|run");
}

TEST_F(ScriptLoading, CompileErrorInAnImportedFileFailsTheImport)
{
    writeFile("media/script/main.nut", "try { Import(\"broken.nut\") } catch (e) { print(\"caught\") }\n");
    writeFile("media/script/broken.nut", "local = 1\n");
    CSquirrel& squirrel = startHost();
    EXPECT_EQ(squirrel.update(), -1);
    EXPECT_EQ(output, "caught");
    EXPECT_EQ(CSquirrel::getErrorText().find("\nスクリプトのコンパイルに失敗しました\nmedia/script/broken.nut 1行"), 0u)
        << CSquirrel::getErrorText();
}

TEST_F(ScriptLoading, ScriptsFromAnArchive)
{
    Kavro::Wpk2Writer writer(Kavro::BuildArchiveKey());
    const std::string main = "print(\"main \" + Import(\"part.nut\") + \" \" + PART)\n";
    const std::string part = "::PART <- \"from the archive\"\n";
    writer.add("media/script/main.nut", std::vector<uint8_t>(main.begin(), main.end()));
    writer.add("media/script/part.nut", std::vector<uint8_t>(part.begin(), part.end()));
    ASSERT_TRUE(writer.writeFile(dir.file("script.wpk"), nullptr));
    core->fileSystem->release();
    core->fileSystem = Kavro::CreateArchiveFileSystem();
    const auto key = Kavro::BuildArchiveKey();
    const uint32_t keyLength = 32;
    ASSERT_EQ(core->fileSystem->mount(dir.file("script.wpk").c_str(), key.data(), &keyLength), 0);
    CSquirrel& squirrel = startHost();
    EXPECT_EQ(squirrel.update(), 0);
    EXPECT_EQ(output, "main 0 from the archive");
}
