#include "script/CW1ScriptReader.h"

#include "core/CFile.h"
#include "core/TextEncoding.h"
#include "script/CW1TextParser.h"

namespace Orvane
{

void CW1ScriptReader::parse(const uint8_t* data, size_t size)
{
    CW1TextParser::parse(data, size, lines);
}

int CW1ScriptReader::read(const char* path)
{
    CFile file;
    if (file.open(path, 0, 0, 0) < 0 || file.load() < 0)
        return 0;
    const uint8_t* data = file.getLoadData();
    std::string text(reinterpret_cast<const char*>(data), data ? file.getFileSize() : 0);
    if (getEngineCodePage() != CodePageUtf8)
    {
        std::u16string wide;
        if (toWide(getEngineCodePage(), text, wide) == 0)
            utf16ToUtf8(wide, text);
    }
    const size_t skip = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    parse(reinterpret_cast<const uint8_t*>(text.data()) + skip, text.size() - skip);
    return 1;
}

} // namespace Orvane
