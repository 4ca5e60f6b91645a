// Feeds arbitrary bytes to the markup tokenizer and checks what must hold for any input: a failed
// ruby shorthand leaves no lines, a token is text or tag but never both, and no text holds a CR unless
// a broken multi-byte sequence took it in (a lead byte takes its whole length, whatever follows).
#include "text/CTextTokenizer.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    Orvane::CTextTokenizer tokenizer;
    const int result = tokenizer.tokenize(text);
    const bool hasLeadBytes =
        std::any_of(data, data + size, [](uint8_t c) { return c >= 0xC0 && c <= 0xFD; });
    if (result == 0 && !tokenizer.lines.empty())
        std::abort();
    for (const auto& line : tokenizer.lines)
        for (const auto& token : line)
        {
            const bool tag = !token.name.empty() || !token.attributes.empty();
            if (tag == !token.text.empty())
                std::abort();
            if (!hasLeadBytes && token.text.find('\r') != std::string::npos)
                std::abort();
        }
    std::string upper = text;
    Orvane::toUpperAscii(upper);
    return 0;
}
