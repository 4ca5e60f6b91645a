#include "model/CCSVLoader.h"

#include "core/CFile.h"
#include "core/TextEncoding.h"

#include <cstring>

namespace Orvane
{

namespace
{

constexpr char16_t LineFeed = u'\n';
constexpr char16_t CarriageReturn = u'\r';
constexpr char16_t Quote = u'"';
constexpr char16_t Comma = u',';

// The lines of the text; quotes keep line ends inside a line and are not kept themselves.
std::vector<std::u16string> splitLines(const std::u16string& text)
{
    std::vector<std::u16string> lines;
    std::u16string line;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i)
    {
        const char16_t c = text[i];
        if (quoted)
        {
            if (c != Quote)
                line += c;
            else if (i + 1 < text.size() && text[i + 1] == Quote)
                line += text[++i];
            else
                quoted = false;
        }
        else if (c == LineFeed)
        {
            lines.push_back(std::move(line));
            line.clear();
        }
        else if (c == Quote)
        {
            quoted = true;
        }
        else if (c != CarriageReturn)
        {
            line += c;
        }
    }
    // A last line without a line feed is a row too, so a file saved without the final newline loses nothing.
    if (!line.empty())
        lines.push_back(std::move(line));
    return lines;
}

std::vector<std::string> splitFields(const std::u16string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;)
    {
        const size_t comma = line.find(Comma, start);
        std::string field;
        utf16ToUtf8(line.substr(start, comma == std::u16string::npos ? std::u16string::npos : comma - start),
                    field);
        fields.push_back(std::move(field));
        if (comma == std::u16string::npos)
            return fields;
        start = comma + 1;
    }
}

} // namespace

int32_t CCSVLoader::Load(const char* path)
{
    CFile file;
    if (!path || file.open(path, 0, 0, 0) < 0 || file.load() < 0)
        return -3;
    const uint32_t size = file.getFileSize();
    const uint8_t* data = file.getLoadData();
    if (size == 0 || !data)
        return -3;
    const int32_t result = Parse(data, size);
    file.close();
    return result;
}

int32_t CCSVLoader::Parse(const uint8_t* bytes, size_t size)
{
    const void* zero = std::memchr(bytes, 0, size);
    const size_t length = zero ? size_t(static_cast<const uint8_t*>(zero) - bytes) : size;
    std::u16string text;
    toWide(getEngineCodePage(), std::string(reinterpret_cast<const char*>(bytes), length), text);
    for (const std::u16string& line : splitLines(text))
        rows.push_back(splitFields(line));
    return 0;
}

} // namespace Orvane
