#include "sqclosurestream.h"

#include "sqfuncproto.h"

#include <algorithm>

#include <cstring>

namespace {

const char *kIoError = "io error";
const char *kInvalidStream = "invalid stream";
const char *kCorrupted = "invalid or corrupted closure stream";
const char *kShortRead = "io error, read function failure, the origin stream could be corrupted/trucated";
const char *kShortWrite = "io error (write function failure)";

// typeof name of a type code (the stream layer does not depend on the object model).
std::string typeName(std::uint32_t type) {
    switch (type) {
        case OT_NULL: return "null";
        case OT_INTEGER: return "integer";
        case OT_FLOAT: return "float";
        case OT_BOOL: return "bool";
        case OT_STRING: return "string";
        case OT_TABLE: return "table";
        case OT_ARRAY: return "array";
        case OT_USERDATA: return "userdata";
        case OT_CLOSURE:
        case OT_NATIVECLOSURE: return "function";
        case OT_GENERATOR: return "generator";
        case OT_USERPOINTER: return "userpointer";
        case OT_THREAD: return "thread";
        case OT_FUNCPROTO: return "function";
        case OT_CLASS: return "class";
        case OT_INSTANCE: return "instance";
        case OT_WEAKREF: return "weakref";
        default: return "unknown";
    }
}

// A stream cannot nest prototypes deeper than the compiler does in practice; the limit keeps a
// hostile stream from exhausting the native stack.
constexpr int kMaxNesting = 200;

struct StreamFailure {
    std::string message;
};

class Out {
public:
    explicit Out(const SQClosureStream::Writer &w) : _w(w) {}
    void bytes(const void *p, size_t n) {
        if (n == 0) return;
        if (_w(p, static_cast<SQInteger>(n)) != static_cast<SQInteger>(n)) throw StreamFailure{kShortWrite};
    }
    void u32(std::uint32_t v) {
        unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                              static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
        bytes(b, 4);
    }
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
    void u8(std::uint8_t v) { bytes(&v, 1); }
    void part() { u32(SQClosureStream::kPartTag); }
    void object(const SQStreamObject &o) {
        switch (o.type) {
            case OT_STRING:
                u32(OT_STRING);
                i32(static_cast<std::int32_t>(o.text.size()));
                bytes(o.text.data(), o.text.size());
                break;
            case OT_INTEGER:
                u32(OT_INTEGER);
                i32(o.integer);
                break;
            case OT_FLOAT: {
                u32(OT_FLOAT);
                std::uint32_t bits;
                std::memcpy(&bits, &o.real, 4);
                u32(bits);
                break;
            }
            case OT_NULL: u32(OT_NULL); break;
            default:
                throw StreamFailure{"cannot serialize a " + typeName(o.type)};
        }
    }
    void instruction(const SQInstruction &i) {
        i32(i._arg1);
        unsigned char b[4] = {i.op, i._arg0, i._arg2, i._arg3};
        bytes(b, 4);
    }
    void proto(const SQProtoImage &f) {
        part();
        object(f.sourcename);
        object(f.name);
        part();
        i32(static_cast<std::int32_t>(f.literals.size()));
        i32(static_cast<std::int32_t>(f.parameters.size()));
        i32(static_cast<std::int32_t>(f.outervalues.size()));
        i32(static_cast<std::int32_t>(f.localvarinfos.size()));
        i32(static_cast<std::int32_t>(f.lineinfos.size()));
        i32(static_cast<std::int32_t>(f.defaultparams.size()));
        i32(static_cast<std::int32_t>(f.instructions.size()));
        i32(static_cast<std::int32_t>(f.functions.size()));
        part();
        for (const SQStreamObject &o : f.literals) object(o);
        part();
        for (const SQStreamObject &o : f.parameters) object(o);
        part();
        for (const SQProtoImage::Outer &o : f.outervalues) {
            u32(o.type);
            object(o.src);
            object(o.name);
        }
        part();
        for (const SQProtoImage::Local &l : f.localvarinfos) {
            object(l.name);
            u32(l.pos);
            u32(l.start_op);
            u32(l.end_op);
        }
        part();
        for (const SQProtoImage::Line &l : f.lineinfos) {
            i32(l.line);
            i32(l.op);
        }
        part();
        for (std::int32_t d : f.defaultparams) i32(d);
        part();
        for (const SQInstruction &i : f.instructions) instruction(i);
        part();
        for (const SQProtoImage &child : f.functions) proto(child);
        i32(f.stacksize);
        u8(f.generator ? 1 : 0);
        u8(f.varparams ? 1 : 0);
    }

private:
    const SQClosureStream::Writer &_w;
};

class In {
public:
    explicit In(const SQClosureStream::Reader &r) : _r(r) {}
    void bytes(void *p, size_t n) {
        if (n == 0) return;
        if (_r(p, static_cast<SQInteger>(n)) != static_cast<SQInteger>(n)) throw StreamFailure{kShortRead};
    }
    std::uint32_t u32() {
        unsigned char b[4];
        bytes(b, 4);
        return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
               (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    std::uint8_t u8() {
        std::uint8_t v;
        bytes(&v, 1);
        return v;
    }
    bool flag() {
        std::uint8_t b = u8();
        if (b > 1) throw StreamFailure{kCorrupted};
        return b != 0;
    }
    void tag(std::uint32_t expected) {
        if (u32() != expected) throw StreamFailure{kCorrupted};
    }
    // A count read from the stream; each element needs at least minBytes, so a count larger than
    // the data could hold fails at the first short read instead of allocating up front.
    size_t count() {
        std::int32_t n = i32();
        if (n < 0) throw StreamFailure{kCorrupted};
        return static_cast<size_t>(n);
    }
    SQStreamObject object() {
        SQStreamObject o;
        o.type = u32();
        switch (o.type) {
            case OT_STRING: {
                size_t len = count();
                // Read in bounded chunks so a huge length in a short stream cannot allocate it all.
                constexpr size_t kChunk = 4096;
                while (o.text.size() < len) {
                    size_t n = std::min(kChunk, len - o.text.size());
                    size_t at = o.text.size();
                    o.text.resize(at + n);
                    bytes(o.text.data() + at, n);
                }
                break;
            }
            case OT_INTEGER: o.integer = i32(); break;
            case OT_FLOAT: {
                std::uint32_t bits = u32();
                std::memcpy(&o.real, &bits, 4);
                break;
            }
            case OT_NULL: break;
            default:
                throw StreamFailure{"cannot serialize a " + typeName(o.type)};
        }
        return o;
    }
    SQInstruction instruction() {
        SQInstruction i;
        i._arg1 = i32();
        unsigned char b[4];
        bytes(b, 4);
        i.op = b[0];
        i._arg0 = b[1];
        i._arg2 = b[2];
        i._arg3 = b[3];
        return i;
    }
    void proto(SQProtoImage &f, int depth) {
        if (depth > kMaxNesting) throw StreamFailure{kCorrupted};
        tag(SQClosureStream::kPartTag);
        f.sourcename = object();
        f.name = object();
        tag(SQClosureStream::kPartTag);
        size_t nliterals = count(), nparameters = count(), noutervalues = count(), nlocalvarinfos = count(),
               nlineinfos = count(), ndefaultparams = count(), ninstructions = count(), nfunctions = count();
        tag(SQClosureStream::kPartTag);
        for (size_t i = 0; i < nliterals; i++) f.literals.push_back(object());
        tag(SQClosureStream::kPartTag);
        for (size_t i = 0; i < nparameters; i++) f.parameters.push_back(object());
        tag(SQClosureStream::kPartTag);
        for (size_t i = 0; i < noutervalues; i++) {
            SQProtoImage::Outer o;
            o.type = u32();
            o.src = object();
            o.name = object();
            f.outervalues.push_back(std::move(o));
        }
        tag(SQClosureStream::kPartTag);
        for (size_t i = 0; i < nlocalvarinfos; i++) {
            SQProtoImage::Local l;
            l.name = object();
            l.pos = u32();
            l.start_op = u32();
            l.end_op = u32();
            f.localvarinfos.push_back(std::move(l));
        }
        tag(SQClosureStream::kPartTag);
        for (size_t i = 0; i < nlineinfos; i++) {
            SQProtoImage::Line l;
            l.line = i32();
            l.op = i32();
            f.lineinfos.push_back(l);
        }
        tag(SQClosureStream::kPartTag);
        for (size_t i = 0; i < ndefaultparams; i++) f.defaultparams.push_back(i32());
        tag(SQClosureStream::kPartTag);
        for (size_t i = 0; i < ninstructions; i++) f.instructions.push_back(instruction());
        tag(SQClosureStream::kPartTag);
        for (size_t i = 0; i < nfunctions; i++) {
            f.functions.emplace_back();
            proto(f.functions.back(), depth + 1);
        }
        f.stacksize = i32();
        f.generator = flag();
        f.varparams = flag();
    }

private:
    const SQClosureStream::Reader &_r;
};

// Operand checks ------------------------------------------------------------------------------

class Validator {
public:
    explicit Validator(const SQProtoImage &f, const SQProtoImage *parent) : _f(f), _parent(parent) {}

    bool run() {
        if (_f.stacksize < 1 || _f.stacksize > 256) return false;
        if (_f.parameters.empty() || static_cast<std::int32_t>(_f.parameters.size()) > _f.stacksize) return false;
        for (const SQStreamObject &p : _f.parameters)
            if (!p.isString()) return false;
        for (const SQProtoImage::Outer &o : _f.outervalues)
            if (!outerOk(o)) return false;
        for (const SQProtoImage::Local &l : _f.localvarinfos)
            if (!l.name.isString() || l.pos >= static_cast<std::uint32_t>(_f.stacksize)) return false;
        for (std::int32_t d : _f.defaultparams)
            if (!_parent || d < 0 || d >= _parent->stacksize) return false;
        if (_f.defaultparams.size() >= _f.parameters.size()) return false;
        if (_f.instructions.empty() || _f.instructions.back().op != _OP_RETURN) return false;
        for (size_t i = 0; i < _f.instructions.size(); i++)
            if (!instructionOk(_f.instructions[i], static_cast<std::int64_t>(i))) return false;
        return true;
    }

private:
    bool outerOk(const SQProtoImage::Outer &o) const {
        if (!o.name.isString() || !_parent) return false;
        switch (o.type) {
            case otLOCAL: return o.src.type == OT_INTEGER && o.src.integer >= 0 && o.src.integer < _parent->stacksize;
            case otSYMBOL: return o.src.isString();
            case otOUTER:
                return o.src.type == OT_INTEGER && o.src.integer >= 0 &&
                       static_cast<size_t>(o.src.integer) < _parent->outervalues.size();
            default: return false;
        }
    }
    bool reg(int r) const { return r >= 0 && r < _f.stacksize; }
    bool regRange(int first, int count) const { return count >= 0 && first >= 0 && first + count <= _f.stacksize; }
    bool literal(std::int64_t k) const { return k >= 0 && static_cast<size_t>(k) < _f.literals.size(); }
    bool jump(std::int64_t from, std::int64_t offset) const {
        std::int64_t target = from + 1 + offset;
        return target >= 0 && target < static_cast<std::int64_t>(_f.instructions.size());
    }

    bool instructionOk(const SQInstruction &i, std::int64_t at) const {
        const int a0 = i._arg0, a2 = i._arg2, a3 = i._arg3;
        const std::int32_t a1 = i._arg1;
        switch (i.op) {
            case _OP_LINE: return true;
            case _OP_LOAD: return reg(a0) && literal(a1);
            case _OP_LOADINT:
            case _OP_LOADFLOAT:
            case _OP_LOADROOTTABLE:
            case _OP_LOADBOOL:
            case _OP_VARGC:
            case _OP_NEWTABLE:
            case _OP_NEWARRAY: return reg(a0);
            case _OP_DLOAD: return reg(a0) && literal(a1) && reg(a2) && literal(a3);
            case _OP_TAILCALL:
            case _OP_CALL: return reg(a0) && reg(a1) && a3 >= 1 && regRange(a2, a3);
            case _OP_PREPCALL: return reg(a0) && reg(a1) && reg(a2) && reg(a3);
            case _OP_PREPCALLK: return reg(a0) && literal(a1) && reg(a2) && reg(a3);
            case _OP_GETK: return reg(a0) && literal(a1) && reg(a2);
            case _OP_MOVE:
            case _OP_NEG:
            case _OP_NOT:
            case _OP_BWNOT:
            case _OP_CLONE:
            case _OP_TYPEOF:
            case _OP_RESUME:
            case _OP_GETPARENT:
            case _OP_GETVARGV: return reg(a0) && reg(a1);
            case _OP_NEWSLOT:
            case _OP_SET:
            case _OP_NEWSLOTA:
                if (i.op == _OP_NEWSLOTA && (a0 & NEW_SLOT_ATTRIBUTES_FLAG) && !reg(a2 - 1)) return false;
                return (i.op == _OP_NEWSLOTA || reg(a0)) && reg(a1) && reg(a2) && reg(a3);
            case _OP_DELETE:
            case _OP_GET:
            case _OP_EXISTS:
            case _OP_INSTANCEOF:
            case _OP_DELEGATE: return reg(a0) && reg(a1) && reg(a2);
            case _OP_EQ:
            case _OP_NE: return reg(a0) && reg(a2) && (a3 != 0 ? literal(a1) : reg(a1));
            case _OP_ARITH:
            case _OP_BITW:
            case _OP_CMP:
            case _OP_COMPARITHL: return reg(a0) && reg(a1) && reg(a2);
            case _OP_RETURN:
            case _OP_YIELD: return a0 == SQ_NO_OPERAND || reg(a1);
            case _OP_LOADNULLS: return regRange(a0, a1);
            case _OP_DMOVE: return reg(a0) && reg(a1) && reg(a2) && reg(a3);
            case _OP_JMP: return jump(at, a1);
            case _OP_JNZ:
            case _OP_JZ:
            case _OP_AND:
            case _OP_OR: return reg(a0) && jump(at, a1) && (i.op == _OP_JNZ || i.op == _OP_JZ || reg(a2));
            case _OP_LOADFREEVAR: return reg(a0) && a1 >= 0 && static_cast<size_t>(a1) < _f.outervalues.size();
            case _OP_APPENDARRAY: return reg(a0) && (a3 != 0 ? literal(a1) : reg(a1));
            case _OP_COMPARITH:
                return reg(a0) && reg((a1 >> 16) & 0xFFFF) && reg(a1 & 0xFFFF) && reg(a2);
            case _OP_INC:
            case _OP_PINC: return reg(a0) && reg(a1) && reg(a2);
            case _OP_INCL:
            case _OP_PINCL: return reg(a0) && reg(a1);
            case _OP_CLOSURE: return reg(a0) && a1 >= 0 && static_cast<size_t>(a1) < _f.functions.size();
            case _OP_FOREACH: return reg(a0) && regRange(a2, 3) && jump(at, a1);
            // POSTFOREACH exits to the same place as the FOREACH before it: ip + a1 - 1.
            case _OP_POSTFOREACH: return reg(a0) && regRange(a2, 3) && jump(at - 1, a1);
            case _OP_PUSHTRAP: return reg(a0) && jump(at, a1);
            case _OP_POPTRAP: return true;
            case _OP_THROW: return reg(a0);
            case _OP_CLASS: return reg(a0) && (a1 == -1 || reg(a1)) && (a2 == SQ_NO_OPERAND || reg(a2));
            default: return false;
        }
    }

    const SQProtoImage &_f;
    const SQProtoImage *_parent;
};

bool validateTree(const SQProtoImage &f, const SQProtoImage *parent, int depth) {
    if (depth > kMaxNesting) return false;
    if (!Validator(f, parent).run()) return false;
    for (const SQProtoImage &child : f.functions)
        if (!validateTree(child, &f, depth + 1)) return false;
    return true;
}

}  // namespace

bool SQClosureStream::write(const SQProtoImage &main, const Writer &w, std::string &error) {
    try {
        Out out(w);
        unsigned char tag[2] = {0xFA, 0xFA};
        if (w(tag, 2) != 2) throw StreamFailure{kIoError};
        out.u32(kHeadTag);
        out.u32(1);
        out.proto(main);
        out.u32(kTailTag);
        return true;
    } catch (const StreamFailure &f) {
        error = f.message;
        return false;
    }
}

bool SQClosureStream::read(const Reader &r, SQProtoImage &main, std::string &error) {
    try {
        In in(r);
        unsigned char tag[2];
        if (r(tag, 2) != 2) throw StreamFailure{kIoError};
        if (tag[0] != 0xFA || tag[1] != 0xFA) throw StreamFailure{kInvalidStream};
        in.tag(kHeadTag);
        if (in.u32() != 1) throw StreamFailure{kCorrupted};
        main = SQProtoImage{};
        in.proto(main, 0);
        in.tag(kTailTag);
    } catch (const StreamFailure &f) {
        error = f.message;
        return false;
    }
    return validate(main, error);
}

bool SQClosureStream::validateOne(const SQProtoImage &f, const SQProtoImage *parent) {
    return Validator(f, parent).run();
}

bool SQClosureStream::validate(const SQProtoImage &main, std::string &error) {
    if (validateTree(main, nullptr, 0)) return true;
    error = kCorrupted;
    return false;
}
