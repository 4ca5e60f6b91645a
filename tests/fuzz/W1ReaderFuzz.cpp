// libFuzzer target for the W1 text reader: any bytes parse without reading past the data, and
// every record that comes out holds something, with its names already upper-cased. Letters inside a
// multi-byte sequence are not upper-cased, also when a stray lead byte takes in plain ASCII letters.
#include "script/CW1TextParser.h"
#include "text/CTextTokenizer.h"

#include <cstdlib>
#include <vector>

namespace
{

bool isUpperCased(const std::string& text)
{
    std::string upper = text;
    Orvane::toUpperAscii(upper);
    return upper == text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<Orvane::CW1TextParser::Line> lines;
    Orvane::CW1TextParser::parse(data, size, lines);
    for (const auto& line : lines)
    {
        for (const auto& record : line)
        {
            if (record.name.empty() && record.attributes.empty() && record.value.empty())
                std::abort();
            if (!isUpperCased(record.name))
                std::abort();
            for (const auto& attribute : record.attributes)
            {
                if (!isUpperCased(attribute.first))
                    std::abort();
            }
        }
    }
    // Parsing the same bytes twice appends the same lines again.
    const size_t count = lines.size();
    Orvane::CW1TextParser::parse(data, size, lines);
    if (lines.size() != 2 * count)
        std::abort();
    return 0;
}
