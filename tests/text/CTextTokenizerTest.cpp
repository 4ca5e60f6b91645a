#include "text/CTextTokenizer.h"

#include <gtest/gtest.h>

#include <string>

using namespace Orvane;

namespace
{

std::string escaped(const std::string& text)
{
    std::string out;
    for (const char c : text)
    {
        if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\0')
            out += "\\0";
        else
            out += c;
    }
    return out;
}

// Lines as "[...]" holding "text" and <TAG KEY='value'> tokens.
std::string describe(const CTextTokenizer& tokenizer)
{
    std::string out;
    for (const auto& line : tokenizer.lines)
    {
        out += "[";
        for (size_t i = 0; i < line.size(); ++i)
        {
            const auto& token = line[i];
            if (i)
                out += " ";
            if (!token.text.empty())
                out.append("\"").append(escaped(token.text)).append("\"");
            else
            {
                out += "<" + token.name;
                for (const auto& attribute : token.attributes)
                    out += " " + attribute.key + "='" + escaped(attribute.value) + "'";
                out += ">";
            }
        }
        out += "]";
    }
    return out;
}

struct Case
{
    const char* what;
    std::string text;
    int result;
    std::string lines;
};

} // namespace

TEST(CTextTokenizer, EdgeCases)
{
    using namespace std::string_literals;
    const Case cases[] = {
        {"ruby shorthand", "#{かな}漢字#", 1, "[<RUBY TEXT='かな'> \"漢字\" </RUBY>]"},
        {"ruby shorthand twice", "a#{x}y#b#{p}q#", 1, "[\"a\" <RUBY TEXT='x'> \"y\" </RUBY> \"b\" <RUBY TEXT='p'> \"q\" </RUBY>]"},
        {"ruby without closing #", "#{a}b", 0, ""},
        {"ruby without }", "#{ab", 0, ""},
        {"second ruby open", "#{a}b# #{c", 0, ""},
        {"two lines", "ab\ncd", 1, "[\"ab\\n\"][\"cd\"]"},
        {"CR dropped", "ab\r\n", 1, "[\"ab\\n\"]"},
        {"blank line kept", "a\n\nb", 1, "[\"a\\n\"][\"\\n\"][\"b\"]"},
        {"comment swallows line end", "ab // note\ncd", 1, "[\"ab \"][\"cd\"]"},
        {"comment-only line", "// note\ncd", 1, "[\"cd\"]"},
        {"literal <", "1 &< 2", 1, "[\"1 < 2\"]"},
        {"& at the end", "a&", 1, "[\"a&\"]"},
        {"tag and attribute", "<ruby text='x'>", 1, "[<RUBY TEXT='x'>]"},
        {"two attributes", "<RUBY text='a' size='b'>", 1, "[<RUBY TEXT='a' SIZE='b'>]"},
        {"attribute right behind quote", "<RUBY text='a'size='b'>", 1, "[<RUBY TEXT='a' SIZE='b'>]"},
        {"TABs between attributes", "<RUBY\ttext='a'\t\tsize='B'>", 1, "[<RUBY TEXT='a' SIZE='B'>]"},
        {"empty tag", "<>", 1, ""},
        {"closing tag", "</I>", 1, "[</I>]"},
        {"brackets inside quotes", "<RUBY text='a<b>'>", 1, "[<RUBY TEXT='a<b>'>]"},
        {"comment inside quotes", "<RUBY text='a//b'>", 1, "[<RUBY>]"},
        {"quoted value over two lines", "<RUBY text='a\nb'>c", 1, "[<RUBY>][]"},
        {"comment in quotes, value goes on", "<R t='a//b\nc'>d", 1, "[<R>][< T='c'> \"d\"]"},
        {"stray < drops the line", "a<b<c>d\nxyz", 1, "[\"xyz\"]"},
        {"stray < at the end keeps the line", "a<b<c", 1, "[\"a\"]"},
        {"stray < before LF", "a<b<c\n", 1, ""},
        {"TAB in text dropped", "a\tb", 1, "[\"ab\"]"},
        {"blanks in text kept", " a  b ", 1, "[\" a  b \"]"},
        {"unquoted value carries state", "<RUBY text=abc>x\ny\n<I>", 1, "[<RUBY>][]"},
        {"blank after tag name", "<CENTER >abc\nxyz", 1, "[<CENTER>][]"},
        {"last byte TAB", "ab\t", 1, "[\"ab\\t\"]"},
        {"last byte CR", "ab\r", 1, "[\"ab\"]"},
        {"NUL ends a line", "ab\0cd"s, 1, "[\"ab\\0\"][\"cd\"]"},
        {"text around tags", "x<I>y</I>z", 1, "[\"x\" <I> \"y\" </I> \"z\"]"},
        {"tag name upper-cased, value kept", "<center Size='aB'>", 1, "[<CENTER SIZE='aB'>]"},
        {"multi-byte is never markup", "\xe3\x81\x82<I>\xe3\x81\x82", 1, "[\"あ\" <I> \"あ\"]"},
        {"cut sequence at the end", "a\xe3\x81", 1, "[\"a\xe3\x81\"]"},
        {"lead byte hides a quote", "<R t='\xc3'x'>", 1, "[<R T='\xc3'x'>]"},
        {"empty text", "", 1, ""},
        {"unclosed tag at the end", "ab<CEN", 1, "[\"ab\"]"},
    };
    for (const Case& c : cases)
    {
        CTextTokenizer tokenizer;
        EXPECT_EQ(tokenizer.tokenize(c.text), c.result) << c.what;
        EXPECT_EQ(describe(tokenizer), c.lines) << c.what;
    }
}

TEST(CTextTokenizer, TokensAreTextOrTagNeverBoth)
{
    CTextTokenizer tokenizer;
    ASSERT_EQ(tokenizer.tokenize("ab<RUBY text='x'>cd\nef"), 1);
    ASSERT_EQ(tokenizer.lines.size(), 2u);
    for (const auto& line : tokenizer.lines)
        for (const auto& token : line)
            EXPECT_NE(token.text.empty(), token.name.empty() && token.attributes.empty());
}

TEST(CTextTokenizer, ArgumentIsNotChanged)
{
    const std::string text = "#{かな}漢字#";
    const std::string copy = text;
    CTextTokenizer tokenizer;
    tokenizer.tokenize(text);
    EXPECT_EQ(text, copy);
}

TEST(ToUpperAscii, LettersOnly)
{
    std::string text = "abcé";
    toUpperAscii(text);
    EXPECT_EQ(text, "ABCé");
    std::string odd = "a\xfe" "b\xff" "c";
    toUpperAscii(odd);
    EXPECT_EQ(odd, "A\xfe" "B\xff" "C");
    std::string cut = "a\xe3" "b"; // the sequence would run past the end
    toUpperAscii(cut);
    EXPECT_EQ(cut, "A\xe3" "b");
}
