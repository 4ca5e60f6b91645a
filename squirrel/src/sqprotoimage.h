// Plain-data form of a function prototype, exactly the fields of a 2.2.4 bytecode stream. The
// compiler produces it, the stream writer and reader translate it to and from bytes, and
// SQFunctionProto is built from it; none of these steps needs a running VM.
#pragma once

#include "sqopcodes.h"

#include <squirrel.h>

#include <cstdint>
#include <string>
#include <vector>

// A literal or name as stored in a stream: null, integer, float or string.
struct SQStreamObject {
    std::uint32_t type = OT_NULL;
    std::int32_t integer = 0;
    float real = 0;
    std::string text;

    static SQStreamObject null() { return {}; }
    static SQStreamObject fromInteger(std::int32_t i) {
        SQStreamObject o;
        o.type = OT_INTEGER;
        o.integer = i;
        return o;
    }
    static SQStreamObject fromFloat(float f) {
        SQStreamObject o;
        o.type = OT_FLOAT;
        o.real = f;
        return o;
    }
    static SQStreamObject fromString(std::string s) {
        SQStreamObject o;
        o.type = OT_STRING;
        o.text = std::move(s);
        return o;
    }
    bool isString() const { return type == OT_STRING; }
    bool operator==(const SQStreamObject &) const = default;
};

struct SQProtoImage {
    struct Outer {
        std::uint32_t type = 0;  // SQOuterType
        SQStreamObject src;
        SQStreamObject name;
        bool operator==(const Outer &) const = default;
    };
    struct Local {
        SQStreamObject name;
        std::uint32_t pos = 0;
        std::uint32_t start_op = 0;
        std::uint32_t end_op = 0;
        bool operator==(const Local &) const = default;
    };
    struct Line {
        std::int32_t line = 0;
        std::int32_t op = 0;
        bool operator==(const Line &) const = default;
    };

    SQStreamObject sourcename;
    SQStreamObject name;
    std::vector<SQStreamObject> literals;
    std::vector<SQStreamObject> parameters;
    std::vector<Outer> outervalues;
    std::vector<Local> localvarinfos;
    std::vector<Line> lineinfos;
    std::vector<std::int32_t> defaultparams;
    std::vector<SQInstruction> instructions;
    std::vector<SQProtoImage> functions;
    std::int32_t stacksize = 0;
    bool generator = false;
    bool varparams = false;
};
