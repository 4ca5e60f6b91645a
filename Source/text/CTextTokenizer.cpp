#include "text/CTextTokenizer.h"

#include "core/TextEncoding.h"

#include <algorithm>

namespace Orvane
{

namespace
{

// The first byte of a multi-byte UTF-8 sequence.
bool isLead(uint8_t c)
{
    return utf8SequenceLength(c) > 1;
}

bool isLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isEmpty(const CTextTokenizer::CToken& token)
{
    return token.name.empty() && token.attributes.empty() && token.text.empty();
}

} // namespace

void toUpperAscii(std::string& text)
{
    size_t i = 0;
    while (i < text.size())
    {
        const uint8_t c = uint8_t(text[i]);
        if (isLead(c))
        {
            i += size_t(utf8SequenceLength(c));
            continue;
        }
        if (c >= 'a' && c <= 'z')
            text[i] = char(c - 'a' + 'A');
        ++i;
    }
}

CTextTokenizer::~CTextTokenizer()
{
    clearLines();
}

void CTextTokenizer::clearLines()
{
    lines.clear();
}

void CTextTokenizer::clearToken(CToken& token)
{
    token.name.clear();
    token.attributes.clear();
    token.text.clear();
}

bool CTextTokenizer::expandRubyShorthand(std::string& text)
{
    size_t p = 0;
    while (p < text.size())
    {
        const size_t open = text.find("#{", p);
        if (open == std::string::npos)
            break;
        const size_t close = text.find('}', open + 2);
        if (close == std::string::npos)
            return false;
        const size_t end = text.find('#', close + 1);
        if (end == std::string::npos)
            return false;
        const std::string ruby = text.substr(open + 2, close - open - 2);
        const std::string base = text.substr(close + 1, end - close - 1);
        const std::string replacement = "<RUBY text='" + ruby + "'>" + base + "</RUBY>";
        text.replace(open, end + 1 - open, replacement);
        p = open + replacement.size();
    }
    return true;
}

int CTextTokenizer::tokenize(const std::string& source)
{
    std::string text = source;
    if (!expandRubyShorthand(text))
        return 0;
    reset();
    size_t i = 0;
    while (i < text.size())
        i = step(text, i);
    finish();
    return 1;
}

void CTextTokenizer::reset()
{
    states_.assign(1, State::Text);
    pending_.clear();
    clearToken(token_);
    attribute_ = {};
    line_.clear();
    dropLine_ = false;
    previousLineEmpty_ = true;
}

void CTextTokenizer::pop()
{
    if (states_.size() > 1)
        states_.pop_back();
}

void CTextTokenizer::emitToken(State state)
{
    if (!pending_.empty() && state == State::Text)
        token_.text = pending_;
    toUpperAscii(token_.name);
    if (!isEmpty(token_))
        line_.push_back(token_);
    clearToken(token_);
    pending_.clear();
}

size_t CTextTokenizer::step(const std::string& text, size_t i)
{
    const char c = text[i];
    const bool last = i + 1 == text.size();
    if ((dropLine_ || top() == State::Comment) && c != '\n')
        return i + 1;
    if (isLead(uint8_t(c)))
    {
        // A sequence cut short by the end of the text takes only the bytes that remain.
        const size_t length = std::min(size_t(utf8SequenceLength(uint8_t(c))), text.size() - i);
        pending_.append(text, i, length);
        return i + length;
    }
    if (c == '/' && !pending_.empty() && pending_.back() == '/')
    {
        pending_.pop_back();
        emitToken(top());
        states_.push_back(State::Comment);
        return i + 1;
    }
    if (top() == State::AttrValue)
    {
        if (c == '\'')
        {
            closeValue(text, i);
            return i + 1;
        }
        if (c != '\0' && c != '\n' && !last)
        {
            pending_ += c;
            return i + 1;
        }
        pop();
    }
    if (c == '&' && top() == State::Text && !last && text[i + 1] == '<')
    {
        pending_ += '<';
        return i + 2;
    }
    switch (c)
    {
    case '<':
        if (top() != State::Text)
            dropLine_ = true;
        emitToken(top());
        states_.push_back(State::TagName);
        return i + 1;
    case '>':
        if (top() == State::TagName)
            token_.name = pending_;
        if (top() == State::TagName || top() == State::TagBody)
        {
            pop();
            emitToken(State::TagName);
        }
        else
            pending_ += c;
        return i + 1;
    case '\r':
        return i + 1;
    default:
        break;
    }
    if (c == '\n' || c == '\0' || last)
    {
        endLine(c);
        return i + 1;
    }
    switch (c)
    {
    case '\t':
        separate();
        break;
    case ' ':
        if (top() == State::Text)
            pending_ += c;
        else
            separate();
        break;
    case '\'':
        if (top() == State::AttrValueStart)
            states_.push_back(State::AttrValue);
        else
            pending_ += c;
        break;
    case '=':
        if (top() == State::AttrKey)
        {
            attribute_.key = pending_;
            setTop(State::AttrValueStart);
            pending_.clear();
        }
        else
            pending_ += c;
        break;
    default:
        pending_ += c;
        break;
    }
    return i + 1;
}

void CTextTokenizer::closeValue(const std::string& text, size_t i)
{
    pop();
    toUpperAscii(attribute_.key);
    attribute_.value = pending_;
    token_.attributes.push_back(std::move(attribute_));
    attribute_ = {};
    pop();
    if (i + 1 < text.size() && isLetter(text[i + 1]))
        states_.push_back(State::AttrKey);
    pending_.clear();
}

void CTextTokenizer::separate()
{
    if (top() == State::TagName)
    {
        token_.name = pending_;
        pending_.clear();
        setTop(State::TagBody);
        states_.push_back(State::AttrKey);
    }
    else if (top() == State::TagBody)
        states_.push_back(State::AttrKey);
}

void CTextTokenizer::endLine(char c)
{
    const bool inComment = top() == State::Comment;
    if (inComment)
        pop();
    if (dropLine_)
    {
        states_.assign(1, State::Text);
        dropLine_ = false;
    }
    else if (inComment)
    {
        if (!line_.empty())
        {
            lines.push_back(line_);
            previousLineEmpty_ = false;
        }
    }
    else
    {
        pending_ += c;
        emitToken(top());
        if (!line_.empty())
        {
            lines.push_back(line_);
            previousLineEmpty_ = false;
        }
        else
        {
            if (!previousLineEmpty_)
                lines.push_back(line_);
            previousLineEmpty_ = true;
        }
    }
    line_.clear();
    clearToken(token_);
    pending_.clear();
}

void CTextTokenizer::finish()
{
    if (pending_.empty() && line_.empty())
        return;
    if (!pending_.empty() && top() == State::Text)
        token_.text = pending_;
    toUpperAscii(token_.name);
    if (!isEmpty(token_))
        line_.push_back(token_);
    clearToken(token_);
    pending_.clear();
    if (!line_.empty() || !previousLineEmpty_)
        lines.push_back(line_);
    line_.clear();
}

} // namespace Orvane
