#include "script/CW1TextParser.h"

#include "text/CTextTokenizer.h"

#include "core/TextEncoding.h"

#include <algorithm>

namespace Orvane
{

namespace
{

enum class State
{
    Text,
    TagName,
    TagBody,
    AttributeName,
    AttributeValue,
    Quoted,
    Comment,
    None, // what popping an empty stack gives
};

constexpr uint8_t LF = 10;
constexpr uint8_t CR = 13;
constexpr uint8_t TAB = 9;

// Length of the UTF-8 sequence a lead byte starts (2 to 6), or 0 for any other byte.
size_t leadLength(uint8_t byte)
{
    const int length = utf8SequenceLength(byte);
    return length >= 2 ? size_t(length) : 0;
}

bool isAsciiLetter(uint8_t byte)
{
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z');
}

// The working state of one parse.
class Parser
{
public:
    explicit Parser(std::vector<CW1TextParser::Line>& lines) : lines(lines) {}

    // data holds the text followed by one 0 byte.
    void run(const uint8_t* data, size_t size)
    {
        const size_t textEnd = size - 1;
        for (size_t i = 0; i < size; ++i)
            i = step(data, textEnd, i);
    }

private:
    State top() const { return states.empty() ? State::Text : states.back(); }
    State pop()
    {
        if (states.empty())
            return State::None;
        const State popped = states.back();
        states.pop_back();
        return popped;
    }
    void push(State state) { states.push_back(state); }
    void replaceTop(State state)
    {
        pop();
        push(state);
    }

    // Handles the byte at i; returns the index of the last byte consumed.
    size_t step(const uint8_t* data, size_t textEnd, size_t i)
    {
        const uint8_t byte = data[i];
        const bool final = i == textEnd;
        if ((malformed || top() == State::Comment) && byte != LF && !final)
            return i;
        if (const size_t length = leadLength(byte))
        {
            const size_t end = std::min(i + length, textEnd);
            token.append(reinterpret_cast<const char*>(data + i), end - i);
            return end - 1;
        }
        if (byte == '/' && !token.empty() && token.back() == '/')
        {
            token.pop_back();
            closeRecord(top());
            push(State::Comment);
            return i;
        }
        if (top() == State::Quoted)
        {
            if (byte == '"')
            {
                closeQuotedValue(i + 1 < textEnd && isAsciiLetter(data[i + 1]));
                return i;
            }
            if (byte != LF && byte != 0)
            {
                token += char(byte);
                return i;
            }
            pop();
        }
        handleByte(byte);
        return i;
    }

    void handleByte(uint8_t byte)
    {
        switch (byte)
        {
        case '<':
            if (top() != State::Text)
                malformed = true;
            closeRecord(top());
            push(State::TagName);
            return;
        case '>':
        {
            const State popped = pop();
            if (popped != State::TagBody && popped != State::TagName)
                malformed = true;
            if (popped == State::TagName)
                record.name = token;
            closeRecord(popped);
            return;
        }
        case CR:
            return;
        case LF:
        case 0:
            endOfLine(byte == LF);
            return;
        case TAB:
            separate();
            return;
        case ' ':
            if (top() == State::Text)
                token += ' ';
            else
                separate();
            return;
        case '"':
            if (top() == State::AttributeValue)
                push(State::Quoted);
            else
                token += '"';
            return;
        case '=':
            if (top() == State::AttributeName)
            {
                pendingName = token;
                replaceTop(State::AttributeValue);
                token.clear();
            }
            else
                token += '=';
            return;
        default:
            token += char(byte);
            return;
        }
    }

    // A blank or TAB: ends a tag name, starts an attribute name in a tag body; skipped elsewhere.
    void separate()
    {
        if (top() == State::TagName)
        {
            record.name = token;
            token.clear();
            replaceTop(State::TagBody);
            push(State::AttributeName);
        }
        else if (top() == State::TagBody)
            push(State::AttributeName);
    }

    void closeQuotedValue(bool letterFollows)
    {
        pop(); // quoted
        std::string name = pendingName;
        toUpperAscii(name);
        record.attributes.emplace_back(std::move(name), token);
        pendingName.clear();
        token.clear();
        pop(); // attribute value
        if (letterFollows)
            push(State::AttributeName);
    }

    void closeRecord(State state)
    {
        if (!token.empty() && state == State::Text)
            record.value = token;
        toUpperAscii(record.name);
        if (!record.name.empty() || !record.attributes.empty() || !record.value.empty())
            lineRecords.push_back(std::move(record));
        record = {};
        token.clear();
    }

    void endOfLine(bool lineFeed)
    {
        const bool afterComment = top() == State::Comment;
        if (afterComment)
            pop();
        if (malformed)
        {
            lineRecords.clear();
            states.assign(1, State::Text);
            malformed = false;
        }
        else if (afterComment)
        {
            if (!lineRecords.empty())
            {
                lines.push_back(std::move(lineRecords));
                previousLineEmpty = false;
            }
        }
        else
            closeLine(lineFeed);
        lineRecords.clear();
        record = {};
        token.clear();
    }

    void closeLine(bool lineFeed)
    {
        if (!token.empty() && top() == State::Text)
        {
            if (lineFeed)
                token += '\n';
        }
        else if (token.empty() && !lineRecords.empty() && lineRecords.back().name.empty())
            token.assign(1, '\n');
        closeRecord(top());
        if (!lineRecords.empty())
        {
            lines.push_back(std::move(lineRecords));
            previousLineEmpty = false;
        }
        else if (!previousLineEmpty)
        {
            lines.emplace_back();
            previousLineEmpty = true;
        }
    }

    std::vector<CW1TextParser::Line>& lines;
    std::vector<State> states{State::Text};
    std::string token;
    CW1TextParser::Record record;
    std::string pendingName;
    CW1TextParser::Line lineRecords;
    bool malformed = false;
    bool previousLineEmpty = true;
};

} // namespace

void CW1TextParser::parse(const uint8_t* data, size_t size, std::vector<Line>& lines)
{
    std::vector<uint8_t> text(data, data + size);
    text.push_back(0);
    Parser(lines).run(text.data(), text.size());
}

} // namespace Orvane
