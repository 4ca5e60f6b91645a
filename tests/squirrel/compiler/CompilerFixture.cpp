#include "CompilerFixture.h"

#include <cstdio>

MapConstantTable::Kind MapConstantTable::find(const std::string &name, SQStreamObject &value) {
    if (auto it = _scalars.find(name); it != _scalars.end()) {
        value = it->second;
        return Kind::Scalar;
    }
    return _enums.count(name) ? Kind::Enum : Kind::None;
}

std::optional<SQStreamObject> MapConstantTable::findEnumMember(const std::string &enumName,
                                                               const std::string &member) {
    auto e = _enums.find(enumName);
    if (e == _enums.end()) return std::nullopt;
    auto m = e->second.find(member);
    if (m == e->second.end()) return std::nullopt;
    return m->second;
}

void MapConstantTable::defineConst(const std::string &name, const SQStreamObject &value) {
    _enums.erase(name);
    _scalars[name] = value;
}

void MapConstantTable::defineEnum(const std::string &name,
                                  const std::vector<std::pair<std::string, SQStreamObject>> &members) {
    _scalars.erase(name);
    auto &e = _enums[name];
    e.clear();
    for (const auto &[k, v] : members) e[k] = v;
}

SQCompileResult compileSource(const std::string &source, const std::string &sourcename, bool debuginfo) {
    MapConstantTable consts;
    size_t pos = 0;
    SQCompiler compiler(
        [&]() -> int { return pos < source.size() ? static_cast<unsigned char>(source[pos++]) : 0; }, sourcename,
        debuginfo, consts);
    return compiler.compile();
}

std::vector<unsigned char> writeStream(const SQProtoImage &image) {
    std::vector<unsigned char> out;
    std::string error;
    SQClosureStream::write(
        image,
        [&](const void *p, SQInteger n) -> SQInteger {
            auto b = static_cast<const unsigned char *>(p);
            out.insert(out.end(), b, b + n);
            return n;
        },
        error);
    return out;
}

namespace {
const char *opName(int op) {
#define SQ_OPCODE_NAME(name, number) #name,
    static const char *names[] = {SQ_OPCODES(SQ_OPCODE_NAME)};
#undef SQ_OPCODE_NAME
    return op < SQ_OPCODE_COUNT ? names[op] : "?";
}
}  // namespace

std::string disassemble(const SQProtoImage &f) {
    std::string s;
    char buf[128];
    for (size_t i = 0; i < f.instructions.size(); i++) {
        const SQInstruction &ins = f.instructions[i];
        std::snprintf(buf, sizeof buf, "[%03zu] %s %d,%d,%d,%d\n", i, opName(ins.op), ins._arg0, ins._arg1,
                      ins._arg2, ins._arg3);
        s += buf;
    }
    return s;
}

std::string describeLines(const SQProtoImage &f) {
    std::string s;
    for (const auto &l : f.lineinfos) s.append("(").append(std::to_string(l.line)).append(",").append(std::to_string(l.op)).append(") ");
    return s;
}

std::string describeLocals(const SQProtoImage &f) {
    std::string s;
    for (const auto &l : f.localvarinfos)
        s += l.name.text + " r" + std::to_string(l.pos) + " " + std::to_string(l.start_op) + ".." +
             std::to_string(l.end_op) + "; ";
    return s;
}
