// Compiles source text without a VM (constants kept in a map) and renders prototypes in the
// disassembly notation of the bytecode reference, so tests can compare code generation.
#pragma once

#include "sqclosurestream.h"
#include "sqcompiler.h"

#include <map>
#include <string>
#include <vector>

class MapConstantTable : public SQConstantTable {
public:
    Kind find(const std::string &name, SQStreamObject &value) override;
    std::optional<SQStreamObject> findEnumMember(const std::string &enumName, const std::string &member) override;
    void defineConst(const std::string &name, const SQStreamObject &value) override;
    void defineEnum(const std::string &name,
                    const std::vector<std::pair<std::string, SQStreamObject>> &members) override;

private:
    std::map<std::string, SQStreamObject> _scalars;
    std::map<std::string, std::map<std::string, SQStreamObject>> _enums;
};

SQCompileResult compileSource(const std::string &source, const std::string &sourcename = "test.nut",
                              bool debuginfo = false);
std::vector<unsigned char> writeStream(const SQProtoImage &image);
// "[000] LOADINT 1,40" style listing: one line per instruction, operands a0,a1,a2,a3.
std::string disassemble(const SQProtoImage &f);
std::string describeLines(const SQProtoImage &f);
std::string describeLocals(const SQProtoImage &f);
