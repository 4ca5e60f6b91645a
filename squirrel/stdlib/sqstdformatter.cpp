#include "sqstdformatter.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::size_t kMaxSpecLength = 20;
constexpr std::string_view kFlags = "-+ #0";

// printf into a std::string: one call for the usual short result, a second only for a long one.
template <typename T>
void appendPrintf(std::string &out, const char *spec, T value)
{
    char buf[256];
    int n = std::snprintf(buf, sizeof buf, spec, value);
    if (n <= 0)
        return;
    std::size_t len = static_cast<std::size_t>(n);
    if (len < sizeof buf) {
        out.append(buf, len);
        return;
    }
    std::size_t at = out.size();
    out.resize(at + len + 1);
    std::snprintf(out.data() + at, len + 1, spec, value);
    out.resize(at + len);
}

} // namespace

bool SQFormatter::format(std::string_view fmt, const FormatArguments &args, std::string &out, const char *&error)
{
    int next = 0;
    std::size_t i = 0;
    while (i < fmt.size()) {
        char c = fmt[i];
        if (c != '%') {
            out.push_back(c);
            ++i;
            continue;
        }
        if (i + 1 < fmt.size() && fmt[i + 1] == '%') {
            out.push_back('%');
            i += 2;
            continue;
        }
        if (next >= args.count()) {
            error = "not enough paramters for the given format string";
            return false;
        }
        std::size_t start = ++i;
        while (i < fmt.size() && kFlags.find(fmt[i]) != std::string_view::npos)
            ++i;
        for (int digits = 0; i < fmt.size() && std::isdigit(static_cast<unsigned char>(fmt[i])); ++i) {
            if (++digits > 2) {
                error = "width format too long";
                return false;
            }
        }
        if (i < fmt.size() && fmt[i] == '.') {
            ++i;
            for (int digits = 0; i < fmt.size() && std::isdigit(static_cast<unsigned char>(fmt[i])); ++i) {
                if (++digits > 2) {
                    error = "precision format too long";
                    return false;
                }
            }
        }
        if (i - start > kMaxSpecLength) {
            error = "format too long";
            return false;
        }
        if (i >= fmt.size()) {
            error = "invalid format";
            return false;
        }
        if (!convert(fmt.substr(start, i - start), fmt[i], args, next, out, error))
            return false;
        ++next;
        ++i;
    }
    return true;
}

bool SQFormatter::convert(std::string_view spec, char letter, const FormatArguments &args, int index,
                          std::string &out, const char *&error)
{
    char cspec[kMaxSpecLength + 3] = "%";
    std::memcpy(cspec + 1, spec.data(), spec.size());
    cspec[spec.size() + 1] = letter;
    cspec[spec.size() + 2] = 0;
    FormatArguments::Kind kind = args.kind(index);
    bool numeric = kind == FormatArguments::Kind::Integer || kind == FormatArguments::Kind::Float;
    switch (letter) {
    case 'd': case 'i': case 'c': case 'o': case 'u': case 'x': case 'X':
        if (!numeric) {
            error = "integer expected for the specified format";
            return false;
        }
        appendPrintf(out, cspec, args.integerValue(index));
        return true;
    case 'f': case 'g': case 'G': case 'e': case 'E':
        if (!numeric) {
            error = "float expected for the specified format";
            return false;
        }
        appendPrintf(out, cspec, args.floatValue(index));
        return true;
    case 's': {
        if (kind != FormatArguments::Kind::String) {
            error = "string expected for the specified format";
            return false;
        }
        // Like C's %s, the text ends at an embedded zero.
        std::string_view text = args.stringValue(index);
        text = text.substr(0, std::min(text.size(), text.find('\0')));
        if (spec.empty())
            out.append(text);
        else
            appendPrintf(out, cspec, std::string(text).c_str());
        return true;
    }
    default:
        error = "invalid format";
        return false;
    }
}
