#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Orvane
{

// INI-style settings: sections of keys whose values are integers or quoted strings. Parsed one
// character at a time; nothing is trimmed, and a line counts only when it ends with a line feed.
class CIniLoader
{
public:
    struct Value
    {
        uint32_t type = 0; // 0 integer, 1 string
        int32_t integer = 0;
        std::string text;
    };
    struct Section
    {
        std::map<std::string, Value> keys;
        std::vector<std::string> keyOrder;
    };

    // Takes the engine's current code page for the file's bytes.
    CIniLoader();
    virtual ~CIniLoader() = default;

    // The open's negative code when the file cannot be opened or loaded, -2 when the text cannot be
    // converted, else the result of parse.
    int load(const char* path);
    // 0, or -2 at a duplicate key or an unclosed quote (parsing stops; what was stored stays).
    int parse(const std::u16string& text);

    int32_t getInt(const std::string& section, const std::string& key, int32_t defaultValue) const;
    std::string getString(const std::string& section, const std::string& key, const std::string& defaultValue) const;
    // The keys of the section "Font", in file order.
    int getKeyCount() const;
    std::string getKeyAt(int index) const;

    uint32_t getCodePage() const { return codePage; }
    void setCodePage(uint32_t page) { codePage = page; }

private:
    const Value* find(const std::string& section, const std::string& key) const;
    int store(const std::string& section, const std::string& key, const std::u16string& token);

    std::map<std::string, Section> sections;
    uint32_t codePage;
};

} // namespace Orvane
