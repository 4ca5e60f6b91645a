// Feeds arbitrary bytes to sq_readclosure. Whatever loads must write back to exactly the bytes
// it was read from, and then runs under an execution budget: nothing may crash or leak.
#include <squirrel.h>

#include "sqvm.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Input {
    const std::uint8_t *data;
    size_t size;
    size_t pos;
};

SQInteger readInput(SQUserPointer up, SQUserPointer buf, SQInteger n) {
    auto *in = static_cast<Input *>(up);
    size_t take = in->size - in->pos;
    if (static_cast<size_t>(n) < take) take = static_cast<size_t>(n);
    if (take > 0) std::memcpy(buf, in->data + in->pos, take);
    in->pos += take;
    return static_cast<SQInteger>(take);
}

SQInteger writeOutput(SQUserPointer up, SQUserPointer buf, SQInteger n) {
    auto *out = static_cast<std::vector<std::uint8_t> *>(up);
    auto *b = static_cast<std::uint8_t *>(buf);
    out->insert(out->end(), b, b + n);
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, size_t size) {
    // A fresh VM per input: loaded code may change the root table, suspend or leave errors.
    HSQUIRRELVM v = sq_open(64);
    Input in{data, size, 0};
    if (SQ_SUCCEEDED(sq_readclosure(v, readInput, &in))) {
        std::vector<std::uint8_t> out;
        if (SQ_FAILED(sq_writeclosure(v, writeOutput, &out))) std::abort();
        if (out.size() != in.pos || std::memcmp(out.data(), data, out.size()) != 0) std::abort();
        v->_budget = 20000;
        sq_pushroottable(v);
        sq_call(v, 1, SQFalse, SQFalse);
    }
    sq_close(v);
    return 0;
}
