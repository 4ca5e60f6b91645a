// The `stream` script class shared by blob and file, and the helper that declares a stream
// subclass with its methods and globals.
#pragma once

#include <squirrel.h>
#include <sqstdio.h>

#include <cstdint>

inline SQUserPointer sqstdTag(std::uintptr_t tag) { return reinterpret_cast<SQUserPointer>(tag); }

constexpr std::uintptr_t kFileTypeTag = SQSTD_STREAM_TYPE_TAG | 0x00000001;
constexpr std::uintptr_t kBlobTypeTag = SQSTD_STREAM_TYPE_TAG | 0x00000002;

// Creates the class `name` (derived from `stream`, tagged `typetag`, stored in the registry
// under `regName`) with `methods` into the table on top of the stack, plus `globals` into the
// same table. Fails with 'table expected' when the top is not a table.
SQRESULT sqstdDeclareStream(HSQUIRRELVM v, const SQChar *name, SQUserPointer typetag, const SQChar *regName,
                            const SQRegFunction *methods, const SQRegFunction *globals);

// Creates a native closure with its parameter check and (optionally) its name, and sets it as
// slot `f.name` of the table or class at `idx` (a negative index counts before the push).
void sqstdRegisterFunction(HSQUIRRELVM v, SQInteger idx, const SQRegFunction &f, bool named, SQBool isStatic = SQFalse);
