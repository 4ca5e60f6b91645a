#pragma once

#include <squirrel.h>

#include <cstdint>

namespace Orvane
{

class CFile;
class ReferenceTable;

// The script state file: every object of the reference table with its contents, written and read
// through an open engine file. Instances are written and recreated by script closures that use
// the same file. Reading checks every count, index and type against the bytes left and the
// objects read so far; function code must match its digest and pass the loader's operand checks.
class ScriptStateFile
{
public:
    ScriptStateFile(HSQUIRRELVM vm, ReferenceTable& table, CFile& file) : vm(vm), table(table), file(file) {}

    // 0 done, -1 failed (what was written stays in the file).
    int save(const SQObject& infoWriter, const SQObject& stateWriter);
    // 0 done; -2 a bad section or contents record; -1 a bad creation record or a lost instance;
    // or the smallest negative result of onError for the instances whose state could not be read.
    int restore(const SQObject& creator, const SQObject& stateReader, const SQObject& onError);

private:
    HSQUIRRELVM vm;
    ReferenceTable& table;
    CFile& file;
};

} // namespace Orvane
