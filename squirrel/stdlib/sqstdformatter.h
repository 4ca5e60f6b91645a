// The conversion rules of the string library's `format`: each `%` spec is checked the way the
// script-visible errors require and then produced by the C library's printf family.
#pragma once

#include <string>
#include <string_view>

class FormatArguments {
public:
    enum class Kind { Integer, Float, String, Other };
    virtual ~FormatArguments() = default;
    virtual int count() const = 0;
    virtual Kind kind(int index) const = 0;
    virtual int integerValue(int index) const = 0;    // Integer or Float (truncated)
    virtual double floatValue(int index) const = 0;   // Integer or Float
    virtual std::string_view stringValue(int index) const = 0;
};

class SQFormatter {
public:
    // Appends the formatted text to `out`; on failure returns false with `error` set to the
    // message a script sees.
    static bool format(std::string_view fmt, const FormatArguments &args, std::string &out, const char *&error);

private:
    static bool convert(std::string_view spec, char letter, const FormatArguments &args, int index,
                        std::string &out, const char *&error);
};
