#include <sqstdio.h>

#include "sqstdstream.h"

#include <cstdio>
#include <new>

extern "C" {

SQFILE sqstd_fopen(const SQChar *filename, const SQChar *mode) { return std::fopen(filename, mode); }

SQInteger sqstd_fread(SQUserPointer buffer, SQInteger size, SQInteger count, SQFILE file)
{
    return static_cast<SQInteger>(std::fread(buffer, static_cast<std::size_t>(size), static_cast<std::size_t>(count),
                                             static_cast<FILE *>(file)));
}

SQInteger sqstd_fwrite(const SQUserPointer buffer, SQInteger size, SQInteger count, SQFILE file)
{
    return static_cast<SQInteger>(std::fwrite(buffer, static_cast<std::size_t>(size), static_cast<std::size_t>(count),
                                              static_cast<FILE *>(file)));
}

SQInteger sqstd_fseek(SQFILE file, SQInteger offset, SQInteger origin)
{
    int whence;
    switch (origin) {
    case SQ_SEEK_CUR: whence = SEEK_CUR; break;
    case SQ_SEEK_END: whence = SEEK_END; break;
    case SQ_SEEK_SET: whence = SEEK_SET; break;
    default: return -1;
    }
    return std::fseek(static_cast<FILE *>(file), offset, whence);
}

SQInteger sqstd_ftell(SQFILE file) { return static_cast<SQInteger>(std::ftell(static_cast<FILE *>(file))); }
SQInteger sqstd_fflush(SQFILE file) { return std::fflush(static_cast<FILE *>(file)); }
SQInteger sqstd_fclose(SQFILE file) { return std::fclose(static_cast<FILE *>(file)); }
SQInteger sqstd_feof(SQFILE file) { return std::feof(static_cast<FILE *>(file)); }

} // extern "C"

namespace {

// A C stdio handle as a stream; closed on release when owned.
class SQFile : public SQStream {
public:
    SQFile(SQFILE handle, bool owns) : handle_(handle), owns_(owns) {}
    ~SQFile() override
    {
        if (handle_ && owns_)
            sqstd_fclose(handle_);
    }
    SQInteger Read(void *buffer, SQInteger size) override { return sqstd_fread(buffer, 1, size, handle_); }
    SQInteger Write(void *buffer, SQInteger size) override { return sqstd_fwrite(buffer, 1, size, handle_); }
    SQInteger Flush() override { return sqstd_fflush(handle_); }
    SQInteger Tell() override { return sqstd_ftell(handle_); }
    SQInteger Len() override
    {
        SQInteger prev = Tell();
        Seek(0, SQ_SEEK_END);
        SQInteger size = Tell();
        Seek(prev, SQ_SEEK_SET);
        return size;
    }
    SQInteger Seek(SQInteger offset, SQInteger origin) override { return sqstd_fseek(handle_, offset, origin); }
    bool IsValid() override { return handle_ != nullptr; }
    bool EOS() override { return Tell() == Len(); }
    SQFILE Handle() const { return handle_; }

private:
    SQFILE handle_;
    bool owns_;
};

SQInteger fileReleaseHook(SQUserPointer p, SQInteger)
{
    delete static_cast<SQFile *>(p);
    return 1;
}

SQInteger file_constructor(HSQUIRRELVM v)
{
    SQFILE handle = nullptr;
    bool owns = true;
    if (sq_gettype(v, 2) == OT_STRING && sq_gettype(v, 3) == OT_STRING) {
        const SQChar *path = nullptr, *mode = nullptr;
        sq_getstring(v, 2, &path);
        sq_getstring(v, 3, &mode);
        handle = sqstd_fopen(path, mode);
        if (!handle)
            return sq_throwerror(v, "cannot open file");
    } else if (sq_gettype(v, 2) == OT_USERPOINTER) {
        sq_getuserpointer(v, 2, &handle);
        owns = sq_gettype(v, 3) != OT_NULL;
    } else {
        return sq_throwerror(v, "wrong parameter");
    }
    auto *f = new (std::nothrow) SQFile(handle, owns);
    if (!f || SQ_FAILED(sq_setinstanceup(v, 1, f))) {
        delete f;
        return sq_throwerror(v, "cannot create blob with negative size");
    }
    sq_setreleasehook(v, 1, fileReleaseHook);
    return 0;
}

SQInteger file__typeof(HSQUIRRELVM v)
{
    sq_pushstring(v, "file", -1);
    return 1;
}

const SQRegFunction kFileMethods[] = {
    {"constructor", file_constructor, 3, "x"},
    {"_typeof", file__typeof, 1, "x"},
    {nullptr, nullptr, 0, nullptr},
};

// Character sources for the compiler: raw bytes, UTF-8 (after a BOM) and UTF-16.
struct FileReader {
    SQFILE file;
    bool swapped = false;

    int byte()
    {
        unsigned char c = 0;
        return sqstd_fread(&c, 1, 1, file) == 1 ? c : -1;
    }
};

SQInteger readRaw(SQUserPointer p)
{
    int c = static_cast<FileReader *>(p)->byte();
    return c < 0 ? 0 : c;
}

SQInteger readUtf8(SQUserPointer p)
{
    auto *r = static_cast<FileReader *>(p);
    int c = r->byte();
    if (c < 0)
        return 0;
    if (c < 0x80)
        return c;
    int extra = (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 0;
    SQInteger cp = extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : extra == 3 ? (c & 0x07) : c;
    for (int i = 0; i < extra; ++i) {
        int cc = r->byte();
        if (cc < 0)
            return 0;
        cp = (cp << 6) | (cc & 0x3F);
    }
    return cp;
}

SQInteger readUtf16(SQUserPointer p)
{
    auto *r = static_cast<FileReader *>(p);
    int a = r->byte();
    int b = r->byte();
    if (a < 0 || b < 0)
        return 0;
    return r->swapped ? ((a << 8) | b) : ((b << 8) | a);
}

SQInteger bytecodeRead(SQUserPointer p, SQUserPointer buffer, SQInteger size)
{
    SQInteger n = sqstd_fread(buffer, 1, size, static_cast<FILE *>(p));
    return n > 0 ? n : -1;
}

SQInteger fileWrite(SQUserPointer p, SQUserPointer buffer, SQInteger size)
{
    return sqstd_fwrite(buffer, 1, size, static_cast<FILE *>(p));
}

SQInteger io_loadfile(HSQUIRRELVM v)
{
    const SQChar *path = nullptr;
    SQBool printerror = SQFalse;
    sq_getstring(v, 2, &path);
    if (sq_gettop(v) >= 3)
        sq_getbool(v, 3, &printerror);
    if (SQ_FAILED(sqstd_loadfile(v, path, printerror)))
        return SQ_ERROR;
    return 1;
}

SQInteger io_dofile(HSQUIRRELVM v)
{
    const SQChar *path = nullptr;
    SQBool printerror = SQFalse;
    sq_getstring(v, 2, &path);
    if (sq_gettop(v) >= 3)
        sq_getbool(v, 3, &printerror);
    sq_push(v, 1); // `this` of the dofile call
    if (SQ_FAILED(sqstd_dofile(v, path, SQTrue, printerror)))
        return SQ_ERROR;
    return 1;
}

SQInteger io_writeclosuretofile(HSQUIRRELVM v)
{
    const SQChar *path = nullptr;
    sq_getstring(v, 2, &path);
    if (SQ_FAILED(sqstd_writeclosuretofile(v, path)))
        return SQ_ERROR;
    return 1;
}

const SQRegFunction kIoGlobals[] = {
    {"loadfile", io_loadfile, -2, ".sb"},
    {"dofile", io_dofile, -2, ".sb"},
    {"writeclosuretofile", io_writeclosuretofile, 3, ".sc"},
    {nullptr, nullptr, 0, nullptr},
};

void registerStdFile(HSQUIRRELVM v, const SQChar *name, FILE *handle)
{
    sq_pushstring(v, name, -1);
    sqstd_createfile(v, handle, SQFalse);
    sq_newslot(v, -3, SQFalse);
}

} // namespace

extern "C" {

SQRESULT sqstd_createfile(HSQUIRRELVM v, SQFILE file, SQBool own)
{
    SQInteger top = sq_gettop(v);
    sq_pushregistrytable(v);
    sq_pushstring(v, "std_file", -1);
    if (SQ_SUCCEEDED(sq_get(v, -2))) {
        sq_remove(v, -2); // registry
        sq_pushroottable(v);
        sq_pushuserpointer(v, file);
        if (own)
            sq_pushinteger(v, 1);
        else
            sq_pushnull(v);
        if (SQ_SUCCEEDED(sq_call(v, 3, SQTrue, SQFalse))) {
            sq_remove(v, -2);
            return SQ_OK;
        }
    }
    sq_settop(v, top);
    return SQ_ERROR;
}

SQRESULT sqstd_getfile(HSQUIRRELVM v, SQInteger idx, SQFILE *file)
{
    SQUserPointer p = nullptr;
    if (SQ_SUCCEEDED(sq_getinstanceup(v, idx, &p, sqstdTag(kFileTypeTag))) && p) {
        *file = static_cast<SQFile *>(p)->Handle();
        return SQ_OK;
    }
    return sq_throwerror(v, "not a file");
}

SQRESULT sqstd_loadfile(HSQUIRRELVM v, const SQChar *filename, SQBool printerror)
{
    SQFILE file = sqstd_fopen(filename, "rb");
    if (!file)
        return sq_throwerror(v, "cannot open the file");
    unsigned char head[2] = {0, 0};
    SQInteger got = sqstd_fread(head, 1, 2, file);
    SQRESULT result;
    if (got == 2 && head[0] == 0xFA && head[1] == 0xFA) {
        sqstd_fseek(file, 0, SQ_SEEK_SET);
        result = sq_readclosure(v, bytecodeRead, file);
    } else {
        FileReader reader{file};
        SQLEXREADFUNC read = readRaw;
        if (got == 2 && head[0] == 0xEF && head[1] == 0xBB) {
            if (reader.byte() != 0xBF) {
                sqstd_fclose(file);
                return sq_throwerror(v, "Unrecognozed ecoding");
            }
            read = readUtf8;
        } else if (got == 2 && head[0] == 0xFF && head[1] == 0xFE) {
            read = readUtf16;
        } else if (got == 2 && head[0] == 0xFE && head[1] == 0xFF) {
            read = readUtf16;
            reader.swapped = true;
        } else {
            sqstd_fseek(file, 0, SQ_SEEK_SET);
        }
        result = sq_compile(v, read, &reader, filename, printerror);
    }
    sqstd_fclose(file);
    return SQ_FAILED(result) ? SQ_ERROR : SQ_OK;
}

SQRESULT sqstd_dofile(HSQUIRRELVM v, const SQChar *filename, SQBool retval, SQBool printerror)
{
    if (SQ_FAILED(sqstd_loadfile(v, filename, printerror)))
        return SQ_ERROR;
    sq_push(v, -2); // `this` = the value on top before the call
    if (SQ_FAILED(sq_call(v, 1, retval, SQTrue))) {
        sq_pop(v, 1); // the closure
        return SQ_ERROR;
    }
    sq_remove(v, retval ? -2 : -1);
    return 1;
}

SQRESULT sqstd_writeclosuretofile(HSQUIRRELVM v, const SQChar *filename)
{
    SQFILE file = sqstd_fopen(filename, "wb+");
    if (!file)
        return sq_throwerror(v, "cannot open the file");
    SQRESULT result = sq_writeclosure(v, fileWrite, file);
    sqstd_fclose(file);
    return SQ_FAILED(result) ? SQ_ERROR : SQ_OK;
}

SQRESULT sqstd_register_iolib(HSQUIRRELVM v)
{
    SQInteger top = sq_gettop(v);
    if (SQ_FAILED(sqstdDeclareStream(v, "file", sqstdTag(kFileTypeTag), "std_file", kFileMethods, kIoGlobals)))
        return SQ_ERROR;
    registerStdFile(v, "stdout", stdout);
    registerStdFile(v, "stdin", stdin);
    registerStdFile(v, "stderr", stderr);
    sq_settop(v, top);
    return SQ_OK;
}

} // extern "C"
