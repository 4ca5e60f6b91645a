#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace Orvane
{

// The byte-level state machine of W1 text (text, tag name, tag body, attribute name, attribute
// value, quoted, comment). Untrusted input: every length is bounded by the data.
class CW1TextParser
{
public:
    struct Record
    {
        std::string name; // tag name, upper-cased; empty for text
        std::vector<std::pair<std::string, std::string>> attributes; // names upper-cased
        std::string value; // the text of a text record
    };
    using Line = std::vector<Record>;

    // Parses size bytes of text and appends their lines.
    static void parse(const uint8_t* data, size_t size, std::vector<Line>& lines);
};

} // namespace Orvane
