// The CSV reader: quotes protect line ends only, every comma splits, a zero byte ends the text, and a last
// line without a line feed is a row too.
#include "ModelFixture.h"

#include "core/TextEncoding.h"
#include "model/CCSVLoader.h"

using namespace OrvaneTest;
using Orvane::CCSVLoader;

namespace
{

using Rows = std::vector<std::vector<std::string>>;

Rows parse(const std::string& text)
{
    CCSVLoader loader;
    EXPECT_EQ(loader.Parse(reinterpret_cast<const uint8_t*>(text.data()), text.size()), 0);
    return loader.rows;
}

} // namespace

TEST(CCSVLoader, SplitsLinesAndFieldsAsQuotesAndCommasSay)
{
    const uint32_t codePage = Orvane::getEngineCodePage();
    Orvane::setEngineCodePage(Orvane::CodePageUtf8);
    const struct
    {
        std::string text;
        Rows rows;
    } cases[] = {
        {"a,b\n", {{"a", "b"}}},
        {"a,b", {{"a", "b"}}},
        {"a,b\r\n,c\n", {{"a", "b"}, {"", "c"}}},
        {"\"x\ny\",z\n", {{"x\ny", "z"}}},
        {"\"p,q\"\n", {{"p", "q"}}},
        {"\"say \"\"hi\"\"\"\n", {{"say \"hi\""}}},
        {"\n\n", {{""}, {""}}},
        {"a,,\n", {{"a", "", ""}}},
        {"a\r", {{"a"}}},
        {std::string("a,b\nc\0d,e\n", 11), {{"a", "b"}, {"c"}}},
        {"\xE3\x81\x82,\xE3\x81\x84\n", {{"\xE3\x81\x82", "\xE3\x81\x84"}}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parse(c.text), c.rows) << testing::PrintToString(c.text);
    Orvane::setEngineCodePage(codePage);
}

TEST_F(ModelTest, TheCsvFileIsReadThroughTheEngineFileAndAnEmptyOrMissingFileIsRefused)
{
    dir.write("list.csv", {'n', ',', 'f', '\n', 'x'});
    CCSVLoader loader;
    EXPECT_EQ(loader.Load("list.csv"), 0);
    EXPECT_EQ(loader.rows, (Rows{{"n", "f"}, {"x"}}));

    dir.write("empty.csv", {});
    CCSVLoader empty;
    EXPECT_EQ(empty.Load("empty.csv"), -3);
    EXPECT_EQ(empty.Load("missing.csv"), -3);
    EXPECT_EQ(empty.Load(nullptr), -3);
    EXPECT_TRUE(empty.rows.empty());
}
