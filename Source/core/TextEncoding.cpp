#include "core/TextEncoding.h"

#include <kavro/Bytes.h>

#include <cerrno>
#include <iconv.h>
#include <vector>

namespace Orvane
{

namespace
{

uint32_t engineCodePage = CodePageShiftJis;

char16_t decodeSequence(const uint8_t* s, int length)
{
    switch (length)
    {
    case 1:
        return s[0];
    case 2:
        return char16_t(((s[0] & 0x1F) << 6) | (s[1] & 0x3F));
    case 3:
        return char16_t(((s[0] & 0x0F) << 12) | ((s[1] & 0x3F) << 6) | (s[2] & 0x3F));
    default:
        return u'\uFF1F';
    }
}

std::string iconvName(uint32_t codePage)
{
    return "CP" + std::to_string(codePage);
}

// Converts bytes between two iconv encodings. An input unit the conversion refuses is skipped and
// `replacement` written in its place. False when iconv does not know the encodings.
bool convert(const std::string& to, const std::string& from, const char* input, size_t inputBytes, size_t unitSize,
             const std::string& replacement, std::string& output)
{
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == iconv_t(-1))
        return false;
    output.clear();
    std::vector<char> chunk(4096);
    char* in = const_cast<char*>(input);
    size_t inLeft = inputBytes;
    while (inLeft > 0)
    {
        char* out = chunk.data();
        size_t outLeft = chunk.size();
        const size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
        output.append(chunk.data(), chunk.size() - outLeft);
        if (result != size_t(-1) || errno == E2BIG)
            continue;
        // EILSEQ or EINVAL (cut off at the end): replace one input unit and go on.
        const size_t skip = inLeft < unitSize ? inLeft : unitSize;
        in += skip;
        inLeft -= skip;
        output += replacement;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return true;
}

} // namespace

uint32_t getEngineCodePage()
{
    return engineCodePage;
}

void setEngineCodePage(uint32_t codePage)
{
    engineCodePage = codePage;
}

int utf8ToUtf16(const std::string& input, std::u16string& output)
{
    output.clear();
    const auto* bytes = reinterpret_cast<const uint8_t*>(input.data());
    const size_t size = input.size();
    size_t i = 0;
    if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        i = 3;
    while (i < size)
    {
        const int length = utf8SequenceLength(bytes[i]);
        if (length == 0)
            return 0;
        uint8_t sequence[6] = {};
        const size_t available = size - i < size_t(length) ? size - i : size_t(length);
        for (size_t k = 0; k < available; ++k)
            sequence[k] = bytes[i + k];
        output += decodeSequence(sequence, length);
        i += length;
    }
    return 1;
}

int utf16ToUtf8(const std::u16string& input, std::string& output)
{
    output.clear();
    for (const char16_t u : input)
    {
        if (u <= 0x7F)
        {
            output += char(u);
        }
        else if (u < 0x800)
        {
            output += char(0xC0 | (u >> 6));
            output += char(0x80 | (u & 0x3F));
        }
        else
        {
            output += char(0xE0 | (u >> 12));
            output += char(0x80 | ((u >> 6) & 0x3F));
            output += char(0x80 | (u & 0x3F));
        }
    }
    return 1;
}

int toWide(uint32_t codePage, const std::string& input, std::u16string& output)
{
    if (codePage == CodePageUtf8)
    {
        if (utf8ToUtf16(input, output))
            return 0;
        return -1;
    }
    const size_t length = input.find('\0') == std::string::npos ? input.size() : input.find('\0');
    std::string bytes;
    static const std::string replacement("\xFD\xFF", 2); // U+FFFD, little-endian
    if (!convert("UTF-16LE", iconvName(codePage), input.data(), length, 1, replacement, bytes))
        return -1;
    output.clear();
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    {
        const char16_t unit = char16_t(Kavro::loadLE16(reinterpret_cast<const uint8_t*>(bytes.data()) + i));
        if (unit == 0)
            break;
        output += unit;
    }
    return 0;
}

int toMultiByte(uint32_t codePage, const std::u16string& input, std::string& output)
{
    if (codePage == CodePageUtf8)
        return utf16ToUtf8(input, output) ? 0 : -1;
    std::string bytes;
    for (const char16_t u : input)
    {
        if (u == 0)
            break;
        bytes += char(u & 0xFF);
        bytes += char(u >> 8);
    }
    std::string converted;
    if (!convert(iconvName(codePage), "UTF-16LE", bytes.data(), bytes.size(), 2, "?", converted))
        return -1;
    output = converted.substr(0, converted.find('\0'));
    return 0;
}

} // namespace Orvane
