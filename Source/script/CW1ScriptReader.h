#pragma once

#include "script/CW1TextParser.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Orvane
{

// Reader of W1 text: lines of plain-text runs and tags in angle brackets with quoted attributes;
// "//" starts a comment. Every line becomes a list of records. Input is untrusted: malformed lines
// are dropped and nothing is read past the data.
class CW1ScriptReader
{
public:
    using Record = CW1TextParser::Record;
    using Line = CW1TextParser::Line;

    virtual ~CW1ScriptReader() = default;

    // Parses the file and appends its lines: 1 when it could be opened (also when empty), else 0.
    int read(const char* path);
    // Parses text (without any byte-order mark handling) and appends its lines.
    void parse(const uint8_t* data, size_t size);

    const std::vector<Line>& getLines() const { return lines; }

private:
    std::vector<Line> lines;
};

} // namespace Orvane
