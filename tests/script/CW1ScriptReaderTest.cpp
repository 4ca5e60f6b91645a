// The W1 text reader: records, line endings, comments, quoted values and malformed lines.
#include "script/CW1ScriptReader.h"

#include "core/TextEncoding.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Orvane::CW1ScriptReader;

namespace
{

// One line per entry: text records as 'text' (line feeds shown as \n), tags as <NAME A=v>.
std::vector<std::string> describe(const CW1ScriptReader& reader)
{
    std::vector<std::string> lines;
    for (const auto& line : reader.getLines())
    {
        std::string out;
        for (const auto& record : line)
        {
            if (!out.empty())
                out += ",";
            if (!record.name.empty() || !record.attributes.empty())
            {
                out += "<" + record.name;
                for (const auto& [name, value] : record.attributes)
                    out += " " + name + "=" + value;
                out += ">";
            }
            if (!record.value.empty())
            {
                std::string value;
                for (char c : record.value)
                    value += c == '\n' ? std::string("\\n") : std::string(1, c);
                out += "'" + value + "'";
            }
        }
        lines.push_back(out);
    }
    return lines;
}

std::vector<std::string> parse(const std::string& text)
{
    CW1ScriptReader reader;
    reader.parse(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    return describe(reader);
}

using Lines = std::vector<std::string>;

} // namespace

TEST(W1Reader, WorkedExample)
{
    const std::string line = "Hello <NAME ID=\"a1\" X=\"2\">world // note\n";
    CW1ScriptReader reader;
    reader.parse(reinterpret_cast<const uint8_t*>(line.data()), line.size());
    ASSERT_EQ(reader.getLines().size(), 2u); // the final line feed adds an empty line
    const auto& records = reader.getLines()[0];
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].name, "");
    EXPECT_EQ(records[0].value, "Hello ");
    EXPECT_TRUE(records[0].attributes.empty());
    EXPECT_EQ(records[1].name, "NAME");
    EXPECT_EQ(records[1].value, "");
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(records[1].attributes, (Pairs{{"ID", "a1"}, {"X", "2"}}));
    EXPECT_EQ(records[2].name, "");
    EXPECT_EQ(records[2].value, "world ");
    EXPECT_TRUE(reader.getLines()[1].empty());
}

TEST(W1Reader, LineEndingsAndBlankLines)
{
    const std::pair<std::string, Lines> cases[] = {
        {"Hello\n", {"'Hello\\n'", ""}},
        {"Hello", {"'Hello'"}},
        {"Hello\r\nWorld", {"'Hello\\n'", "'World'"}},
        {"\n\n\nA\n", {"'A\\n'", ""}},                       // leading blank lines add nothing
        {"A\n\n\n\nB", {"'A\\n'", "", "'B'"}},               // a run of blank lines adds one empty line
        {"// only a comment\n// another\nA", {"'A'"}},       // comment-only lines add nothing
        {"  // blanks before a comment\nA", {"'  '", "'A'"}}, // blanks in text are text
        {"A// comment\nB", {"'A'", "'B'"}},                  // a comment line keeps no line feed
        {"<X>\n", {"<X>", ""}},
        {"<X>\n<Y>", {"<X>", "<Y>"}},
        {"a<>\n", {"'a','\\n'", ""}}, // after a nameless record the line feed stands alone
        {"", {}},
        {"\n", {}},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(parse(text), expected) << text;
}

TEST(W1Reader, TabsBlanksAndQuotes)
{
    const std::pair<std::string, Lines> cases[] = {
        {"a\tb c\n", {"'ab c\\n'", ""}},                                  // TAB dropped in text, blank kept
        {"<T\tA=\"x\ty\rz\">", {"<T A=x\ty\rz>"}},                    // TAB and CR stay inside quotes
        {"<tag attr=\"Value\" Other=\"v\">", {"<TAG ATTR=Value OTHER=v>"}},
        {"<T A=\"1\"B=\"2\">", {"<T A=1 B=2>"}},                       // a letter right after a quote
        {"<T A=\"1\" A=\"2\">", {"<T A=1 A=2>"}},                      // both kept in order
        {"<T A=\"a=b<c>d\">", {"<T A=a=b<c>d>"}},
        {"<\xE5\x90\x8D a=\"\xE5\x80\xA4\">x", {"<\xE5\x90\x8D A=\xE5\x80\xA4>,'x'"}},
        {"x = \"y\"", {"'x = \"y\"'"}}, // quotes and equals signs in text are text
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(parse(text), expected) << text;
}

TEST(W1Reader, CommentsInsideQuotedValues)
{
    // "//" inside a quoted value starts a comment, which ends the record; the next line goes on
    // inside the value, in a record of its own.
    EXPECT_EQ(parse("<T A=\"http://x\">\nrest\" B=\"2\">end\n"), (Lines{"<T>", "< A=rest B=2>,'end\\n'", ""}));
}

TEST(W1Reader, TagLeftOpenAtTheEndOfALine)
{
    // The name collected so far is lost; the next line continues in the tag.
    EXPECT_EQ(parse("text <NAME\n A=\"1\">after"), (Lines{"'text '", "< A=1>,'after'"}));
    EXPECT_EQ(parse("<NAME\n>after"), (Lines{"'after'"}));
}

TEST(W1Reader, MalformedLinesAreDropped)
{
    const char* malformed[] = {
        "a <B <C>> d",       // "<" inside a tag
        "<T >",              // a tag ending in a blank
        "<T A>",             // an attribute without "="
        "<T A=1>",           // an unquoted value
        "text > more",       // ">" in plain text
        "<T A=\"1\" >",      // a blank before ">" after an attribute
    };
    for (const char* line : malformed)
    {
        EXPECT_EQ(parse(std::string("first\n") + line + "\nlast"), (Lines{"'first\\n'", "'last'"})) << line;
        EXPECT_EQ(parse(line), Lines{}) << line;
    }
}

TEST(W1Reader, CutSequencesAndZeroBytes)
{
    EXPECT_EQ(parse("ab\xE5\x90"), Lines{"'ab\xE5\x90'"}); // a sequence cut by the end
    EXPECT_EQ(parse("\xFC"), Lines{"'\xFC'"});
    EXPECT_EQ(parse(std::string("a\0b", 3)), (Lines{"'a'", "'b'"})); // a zero byte ends a line
    EXPECT_EQ(parse("x\xFE\xFFy"), Lines{"'x\xFE\xFFy'"});
}

TEST(W1Reader, ReadFromFilesAppends)
{
    Orvane::setEngineCodePage(Orvane::CodePageUtf8);
    OrvaneTest::TempDirectory dir;
    const std::string first = "\xEF\xBB\xBF<A>one";
    const std::string second = "\xFF\xFEtwo"; // only the UTF-8 byte-order mark is recognised
    dir.write("first.w1", std::vector<uint8_t>(first.begin(), first.end()));
    dir.write("second.w1", std::vector<uint8_t>(second.begin(), second.end()));
    dir.write("empty.w1", {});
    CW1ScriptReader reader;
    EXPECT_EQ(reader.read(dir.file("first.w1").c_str()), 1);
    EXPECT_EQ(reader.read(dir.file("missing.w1").c_str()), 0);
    EXPECT_EQ(reader.read(dir.file("empty.w1").c_str()), 1);
    EXPECT_EQ(reader.read(dir.file("second.w1").c_str()), 1);
    EXPECT_EQ(describe(reader), (Lines{"<A>,'one'", "'\xFF\xFEtwo'"}));
}

TEST(W1Reader, TextOfAnotherCodePageIsConverted)
{
    OrvaneTest::TempDirectory dir;
    dir.write("sjis.w1", {'<', 0x96, 0xBC, ' ', 'a', '=', '"', 0x92, 0x6C, '"', '>'}); // <名 a="値">
    Orvane::setEngineCodePage(Orvane::CodePageShiftJis);
    CW1ScriptReader reader;
    EXPECT_EQ(reader.read(dir.file("sjis.w1").c_str()), 1);
    Orvane::setEngineCodePage(Orvane::CodePageUtf8);
    EXPECT_EQ(describe(reader), Lines{"<名 A=値>"});
}
