#pragma once

#include <string>
#include <vector>

namespace Orvane
{

// Upper-cases the ASCII letters of a UTF-8 string in place; multi-byte sequences are left as they are.
void toUpperAscii(std::string& text);

// Splits UTF-8 text with markup (tags in angle brackets with single-quoted attributes, the ruby
// shorthand "#{ruby}base#", "&<" for a literal "<", "//" line comments) into lines of tokens.
class CTextTokenizer
{
public:
    struct CAttribute
    {
        std::string key; // upper-cased
        std::string value; // as written between the quotes
    };

    // A run of text or one tag, never both.
    struct CToken
    {
        std::string name; // tag name, upper-cased; empty for text
        std::vector<CAttribute> attributes;
        std::string text; // UTF-8 text with the byte that ended its line; empty for a tag
    };

    using Line = std::vector<CToken>;

    CTextTokenizer() = default;
    virtual ~CTextTokenizer();
    CTextTokenizer(const CTextTokenizer&) = delete;
    CTextTokenizer& operator=(const CTextTokenizer&) = delete;

    // Appends the lines of text. 1 on success; 0 when a ruby shorthand is left open (no lines then).
    int tokenize(const std::string& text);
    void clearLines();
    static void clearToken(CToken& token);

    std::vector<Line> lines;

private:
    enum class State
    {
        Text,
        TagName,
        TagBody,
        AttrKey,
        AttrValueStart,
        AttrValue,
        Comment
    };

    // Rewrites every "#{ruby}base#" into RUBY tags; false when one is left open.
    static bool expandRubyShorthand(std::string& text);
    void reset();
    void emitToken(State state);
    // Handles byte i; returns the index of the next byte to look at.
    size_t step(const std::string& text, size_t i);
    void closeValue(const std::string& text, size_t i);
    void separate(); // a blank or TAB in a tag
    void endLine(char c);
    void finish();

    State top() const { return states_.back(); }
    void setTop(State state) { states_.back() = state; }
    void pop();

    std::vector<State> states_;
    std::string pending_;
    CToken token_;
    CAttribute attribute_;
    Line line_;
    bool dropLine_ = false;
    bool previousLineEmpty_ = true;
};

} // namespace Orvane
