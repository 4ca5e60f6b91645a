#include "core/CIniLoader.h"

#include "core/CFile.h"
#include "core/TextEncoding.h"

#include <climits>
#include <cstring>

namespace Orvane
{

namespace
{

const char* const FontSection = "Font";

std::string toUtf8(const std::u16string& text)
{
    std::string out;
    utf16ToUtf8(text, out);
    return out;
}

bool isWideSpace(char16_t c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// Leading white space, an optional sign, then decimal digits up to the first other character; no
// digits give 0. Out-of-range values saturate as the C library's conversion does with 32-bit long.
int32_t parseInteger(const std::u16string& token)
{
    size_t i = 0;
    while (i < token.size() && isWideSpace(token[i]))
        ++i;
    bool negative = false;
    if (i < token.size() && (token[i] == u'+' || token[i] == u'-'))
        negative = token[i++] == u'-';
    int64_t value = 0;
    for (; i < token.size() && token[i] >= u'0' && token[i] <= u'9'; ++i)
    {
        value = value * 10 + (token[i] - u'0');
        if (value > int64_t(INT32_MAX) + 1)
            value = int64_t(INT32_MAX) + 1;
    }
    if (negative)
        return value > int64_t(INT32_MAX) ? INT32_MIN : int32_t(-value);
    return value > INT32_MAX ? INT32_MAX : int32_t(value);
}

} // namespace

CIniLoader::CIniLoader() : codePage(getEngineCodePage()) {}

int CIniLoader::load(const char* path)
{
    CFile file;
    const int opened = file.open(path, 0, 0, 0);
    if (opened < 0)
        return opened;
    if (file.load() < 0)
        return -1;
    const auto* data = reinterpret_cast<const char*>(file.getLoadData());
    const size_t size = data ? file.getFileSize() : 0;
    const std::string bytes(data ? data : "", ::strnlen(data ? data : "", size));
    file.close();
    std::u16string text;
    if (toWide(codePage, bytes, text) < 0)
        return -2;
    return parse(text);
}

int CIniLoader::parse(const std::u16string& text)
{
    std::string section, key;
    std::u16string token;
    bool inQuote = false, inComment = false;
    for (const char16_t c : text)
    {
        if (c == u'\r' || c == u'\t')
            continue;
        if (inComment && c != u'\n')
            continue;
        switch (c)
        {
        case u'"':
            inQuote = !inQuote;
            token += c;
            break;
        case u'[':
            break;
        case u']':
            section = toUtf8(token);
            token.clear();
            break;
        case u'=':
            key = toUtf8(token);
            token.clear();
            break;
        case u'#':
            if (inQuote)
                token += c;
            else
                inComment = true;
            break;
        case u'\n':
            inComment = false;
            if (!section.empty() && !key.empty() && !token.empty() && store(section, key, token) < 0)
                return -2;
            key.clear();
            token.clear();
            inQuote = false;
            break;
        default:
            token += c;
            break;
        }
    }
    return 0;
}

int CIniLoader::store(const std::string& sectionName, const std::string& key, const std::u16string& token)
{
    Section& section = sections[sectionName];
    if (section.keys.count(key))
        return -2;
    Value value;
    if (token.front() == u'"')
    {
        if (token.size() < 2 || token.back() != u'"')
            return -2;
        value.type = 1;
        value.text = toUtf8(token.substr(1, token.size() - 2));
    }
    else
    {
        value.integer = parseInteger(token);
    }
    section.keys.emplace(key, std::move(value));
    section.keyOrder.push_back(key);
    return 0;
}

const CIniLoader::Value* CIniLoader::find(const std::string& section, const std::string& key) const
{
    const auto s = sections.find(section);
    if (s == sections.end())
        return nullptr;
    const auto k = s->second.keys.find(key);
    return k == s->second.keys.end() ? nullptr : &k->second;
}

int32_t CIniLoader::getInt(const std::string& section, const std::string& key, int32_t defaultValue) const
{
    const Value* value = find(section, key);
    return value && value->type == 0 ? value->integer : defaultValue;
}

std::string CIniLoader::getString(const std::string& section, const std::string& key,
                                  const std::string& defaultValue) const
{
    const Value* value = find(section, key);
    return value && value->type == 1 ? value->text : defaultValue;
}

int CIniLoader::getKeyCount() const
{
    const auto s = sections.find(FontSection);
    return s == sections.end() ? 0 : int(s->second.keyOrder.size());
}

std::string CIniLoader::getKeyAt(int index) const
{
    const auto s = sections.find(FontSection);
    if (s == sections.end() || index < 0 || index >= int(s->second.keyOrder.size()))
        return {};
    return s->second.keyOrder[size_t(index)];
}

} // namespace Orvane
