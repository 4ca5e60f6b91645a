// The 2.2.4 serialized closure stream (tags, parts, little-endian fixed-width fields) for a
// prototype tree in plain-data form. Reading is defensive: every count is checked against the
// bytes that remain, and every instruction operand against the prototype it belongs to.
#pragma once

#include "sqprotoimage.h"

#include <squirrel.h>

#include <cstdint>
#include <functional>
#include <string>

class SQClosureStream {
public:
    static constexpr std::uint16_t kStreamTag = 0xFAFA;
    static constexpr std::uint32_t kHeadTag = 0x53514952;  // 'SQIR'
    static constexpr std::uint32_t kPartTag = 0x50415254;  // 'PART'
    static constexpr std::uint32_t kTailTag = 0x5441494C;  // 'TAIL'

    // Byte sinks/sources with the SQWRITEFUNC/SQREADFUNC contract: return the count transferred.
    using Writer = std::function<SQInteger(const void *, SQInteger)>;
    using Reader = std::function<SQInteger(void *, SQInteger)>;

    // Writes the whole stream (starting with the FA FA tag). Returns false with 'error' set.
    static bool write(const SQProtoImage &main, const Writer &w, std::string &error);
    // Reads a whole stream and checks it. Returns false with 'error' set (the reference's texts).
    static bool read(const Reader &r, SQProtoImage &main, std::string &error);
    // Checks that every operand of every instruction stays inside its prototype (and, for
    // nested prototypes, that outer values and defaults stay inside the parent).
    static bool validate(const SQProtoImage &main, std::string &error);
    // The same checks for one prototype alone (its nested images are not visited); parent is the
    // prototype whose CLOSURE instruction creates it, or null for a top-level function.
    static bool validateOne(const SQProtoImage &f, const SQProtoImage *parent);
};
