// The compiler's view of a VM family's constant table (getconsttable()): scalars are
// substituted into code, enums are tables of scalars.
#pragma once

#include "sqcompiler.h"

struct SQSharedState;

class SQVMConstantTable : public SQConstantTable {
public:
    explicit SQVMConstantTable(SQSharedState *ss) : _state(ss) {}
    Kind find(const std::string &name, SQStreamObject &value) override;
    std::optional<SQStreamObject> findEnumMember(const std::string &enumName, const std::string &member) override;
    void defineConst(const std::string &name, const SQStreamObject &value) override;
    void defineEnum(const std::string &name,
                    const std::vector<std::pair<std::string, SQStreamObject>> &members) override;

private:
    SQSharedState *_state;
};
