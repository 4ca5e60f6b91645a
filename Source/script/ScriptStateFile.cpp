#include "script/ScriptStateFile.h"

#include "core/CFile.h"
#include "script/ReferenceTable.h"

#include "sqsave.h"
#include "sqthreadimage.h"

#include <kavro/Bytes.h>
#include <kavro/Sha256.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace Orvane
{

namespace
{

constexpr uint32_t InsrFlushBytes = 0x200000;
// Thread records nest when a thread holds another thread that the reference table lacks.
constexpr size_t MaxThreadNesting = 8;
// Bytes of a call frame in a thread record, its closure value at its shortest.
constexpr uint64_t FrameRecordBytes = 36;
using Kavro::loadLE16;
using Kavro::loadLE32;
using Kavro::sha256;
using Digest = Kavro::Sha256Digest;

// A short read or an impossible count: the record being read fails.
struct Truncated
{
};

bool isClosure(const SQObject& value)
{
    return sq_type(value) == OT_CLOSURE;
}

// Calls a script closure with the root table as this and at most one argument; false when the
// call raised an error. The machine's stack is left as it was.
bool callClosure(HSQUIRRELVM vm, const SQObject& closure, const SQObject* argument, SQObjectPtr* result)
{
    SQInteger top = sq_gettop(vm);
    sq_pushobject(vm, closure);
    sq_pushroottable(vm);
    if (argument)
        sq_pushobject(vm, *argument);
    bool ok = SQ_SUCCEEDED(sq_call(vm, argument ? 2 : 1, SQTrue, SQFalse));
    if (ok && result)
    {
        HSQOBJECT value;
        sq_getstackobj(vm, -1, &value);
        *result = value;
    }
    sq_settop(vm, top);
    return ok;
}

// ---------------------------------------------------------------------------------------------
// Writing

class Writer
{
public:
    Writer(HSQUIRRELVM vm, ReferenceTable& table, CFile& file, const SQObject& infoWriter, const SQObject& stateWriter)
        : vm(vm), table(table), file(file), infoWriter(infoWriter), stateWriter(stateWriter)
    {
        bufferStart = file.getFilePosition();
        ok = bufferStart >= 0;
    }
    // Whatever was written stays in the file, also after a failure.
    ~Writer() { sync(); }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // Records are assembled in memory and their ends patched there; the file sees them whole.
    // sync() hands the bytes to the file, before script closures write through it themselves.
    bool sync()
    {
        if (!pending.empty())
        {
            ok = ok && file.write(pending.data(), static_cast<uint32_t>(pending.size())) == pending.size();
            pending.clear();
        }
        bufferStart = file.getFilePosition();
        return ok = ok && bufferStart >= 0;
    }
    int64_t position() const { return bufferStart + static_cast<int64_t>(pending.size()); }
    bool flushFile() { return sync() && file.flush() >= 0; }

    bool raw(const void* data, size_t size)
    {
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        pending.insert(pending.end(), bytes, bytes + size);
        if (pending.size() >= FlushThreshold)
            sync();
        return ok;
    }
    bool u32(uint32_t value)
    {
        uint8_t bytes[4];
        Kavro::storeLE32(bytes, value);
        return raw(bytes, 4);
    }
    bool u16(uint16_t value)
    {
        uint8_t bytes[2] = {uint8_t(value), uint8_t(value >> 8)};
        return raw(bytes, 2);
    }
    bool tag(const char* name) { return raw(name, 5); }
    bool string(const SQObject& text)
    {
        std::string_view chars = sqStringView(text);
        return u32(static_cast<uint32_t>(chars.size())) && raw(chars.data(), chars.size());
    }
    // Tag and end placeholder; returns the placeholder's position.
    int64_t begin(const char* name)
    {
        tag(name);
        int64_t at = position();
        u32(0);
        return at;
    }
    bool end(int64_t at)
    {
        int64_t here = position();
        uint8_t bytes[4];
        Kavro::storeLE32(bytes, static_cast<uint32_t>(here));
        if (at >= bufferStart)
        {
            std::memcpy(&pending[static_cast<size_t>(at - bufferStart)], bytes, 4);
            return ok;
        }
        if (!sync())
            return false;
        file.seekStart(at);
        ok = ok && file.write(bytes, 4) == 4;
        file.seekStart(here);
        return ok;
    }

    bool value(const SQObject& v)
    {
        uint32_t type = static_cast<uint32_t>(sq_type(v));
        if (!ISREFCOUNTED(type))
        {
            bool hasWord = type == OT_INTEGER || type == OT_FLOAT || type == OT_BOOL;
            if (!hasWord && type != OT_USERPOINTER)
                type = OT_NULL;
            return u32(0) && u32(type) && (!hasWord || u32(static_cast<uint32_t>(v._unVal.nInteger)));
        }
        if (ObjectFrame* frame = table.currentFrame())
        {
            int64_t inFrame = frame->indexOf(v);
            if (inFrame >= 0)
                return u32(2) && u32(type) && u32(static_cast<uint32_t>(inFrame));
        }
        int32_t index = table.indexOf(v);
        if (index < 0)
            return u32(static_cast<uint32_t>(-1));
        return u32(1) && u32(type) && u32(static_cast<uint32_t>(index));
    }

    bool info(const SQObject& v)
    {
        uint32_t type = static_cast<uint32_t>(sq_type(v));
        if (!u32(type) || !ISREFCOUNTED(type))
            return ok;
        switch (sq_type(v))
        {
        case OT_STRING:
        {
            int64_t at = begin("STRI");
            return string(v) && end(at);
        }
        case OT_TABLE:
        {
            int64_t at = begin("TABI");
            return u32(sqRawEqual(v, sqRootTable(vm)) ? 1 : 0) && end(at);
        }
        case OT_CLOSURE:
        {
            int64_t at = begin("CLOI");
            return value(sqClosureParts(v).prototype) && end(at);
        }
        case OT_NATIVECLOSURE: return name("NTCI", table.findNativeClosureName(v));
        case OT_CLASS: return name("CLSI", table.findClassName(v));
        case OT_FUNCPROTO: return protoSizes(sqProtoParts(v));
        case OT_INSTANCE:
        {
            int64_t at = begin("INSI");
            if (!isClosure(infoWriter) || !sync() || !callClosure(vm, infoWriter, &v, nullptr))
                return false;
            sync();
            return end(at);
        }
        case OT_WEAKREF:
        {
            int64_t at = begin("WEKI");
            return value(sqReadThrough(v)) && end(at);
        }
        case OT_THREAD:
        {
            int64_t at = begin("THRI");
            return u32(static_cast<uint32_t>(sqThreadStackSize(v))) && end(at);
        }
        case OT_ARRAY:
        case OT_USERDATA:
        case OT_GENERATOR: return ok;
        default: return false;
        }
    }

    bool contents(const SQObject& v)
    {
        uint32_t type = static_cast<uint32_t>(sq_type(v));
        if (!u32(type))
            return false;
        switch (sq_type(v))
        {
        case OT_TABLE: return tableContents(v);
        case OT_ARRAY:
        {
            int64_t at = begin("ARRY");
            u32(static_cast<uint32_t>(sqArraySize(v)));
            sqForEachElement(v, [&](const SQObject& element) { value(element); });
            return end(at);
        }
        case OT_CLOSURE: return closureContents(v);
        case OT_FUNCPROTO: return protoContents(sqProtoParts(v));
        case OT_INSTANCE: return instanceContents(v);
        case OT_THREAD: return threadContents(v);
        case OT_INTEGER:
        case OT_FLOAT:
        case OT_BOOL: return u32(static_cast<uint32_t>(v._unVal.nInteger));
        case OT_STRING:
        case OT_USERDATA:
        case OT_NATIVECLOSURE:
        case OT_GENERATOR:
        case OT_CLASS:
        case OT_WEAKREF:
        case OT_NULL:
        case OT_USERPOINTER: return ok;
        default: return false;
        }
    }

    bool restoreRecord(const SQObject& instance)
    {
        if (sq_type(instance) != OT_INSTANCE || !isClosure(stateWriter))
            return false;
        int64_t at = begin("INRE");
        if (!sync() || !callClosure(vm, stateWriter, &instance, nullptr))
            return false;
        sync();
        return end(at);
    }

private:
    // The thread's nested object table, then its machine state; the traps come last.
    bool threadContents(const SQObject& value)
    {
        SQThreadImage image;
        if (table.frameDepth() >= MaxThreadNesting || image.capture(value._unVal.pThread))
            return false;
        int64_t at = begin("THRD");
        ReferenceTable::FrameScope scope(table);
        ObjectFrame& frame = scope.get();
        writing.push_back(value);
        for (const SQObjectPtr& owner : writing)
            frame.exclude(owner);
        for (const SQObjectPtr& slot : image.stack)
            if (ISREFCOUNTED(sq_type(slot)))
                frame.collect(slot, table);
        frame.collect(image.temporary, table);
        for (const SQObjectPtr& argument : image.varargs)
            frame.collect(argument, table);
        for (const SQThreadImage::Frame& call : image.frames)
            frame.collect(call.closure, table);
        frame.sortForWriting();
        bool written = nestedTable(frame) && machineState(image);
        writing.pop_back();
        return written && end(at);
    }

    bool nestedTable(ObjectFrame& frame)
    {
        u32(frame.size());
        u32(frame.instanceCount());
        for (uint32_t i = 0; i < frame.size(); i++)
            if (!info(SQObjectPtr(frame.at(i))))
                return false;
        for (uint32_t i = 0; i < frame.size(); i++)
            if (!contents(SQObjectPtr(frame.at(i))))
                return false;
        for (uint32_t i = 0; i < frame.size(); i++)
            if (sq_type(frame.at(i)) == OT_INSTANCE && !(u32(i) && restoreRecord(SQObjectPtr(frame.at(i)))))
                return false;
        return ok;
    }

    bool machineState(const SQThreadImage& image)
    {
        u32(static_cast<uint32_t>(image.stack.size()));
        u32(image.top);
        u32(image.base);
        u32(image.suspended);
        u32(image.suspendedRoot);
        u32(static_cast<uint32_t>(image.suspendedTarget));
        u32(image.suspendedTraps);
        u16(image.suspendedVarargCount);
        u16(image.suspendedVarargBase);
        u32(image.nativeCalls);
        value(image.temporary);
        u32(static_cast<uint32_t>(image.varargs.size()));
        for (const SQObjectPtr& argument : image.varargs)
            value(argument);
        u32(static_cast<uint32_t>(image.frames.size()));
        u32(image.frameCapacity);
        u32(image.frameStorage);
        for (const SQThreadImage::Frame& call : image.frames)
        {
            u32(call.traps);
            u32(call.previousBase);
            u32(call.previousTop);
            u32(static_cast<uint32_t>(call.target));
            u32(call.calls);
            u32(call.root);
            u16(call.varargCount);
            u16(call.varargBase);
            u32(call.instruction);
            value(call.closure);
        }
        for (const SQObjectPtr& slot : image.stack)
            value(slot);
        u32(static_cast<uint32_t>(image.traps.size()));
        for (const SQThreadImage::Trap& trap : image.traps)
        {
            u32(trap.stackBase);
            u32(trap.stackTop);
            u32(trap.instruction);
            u32(static_cast<uint32_t>(trap.target));
        }
        return ok;
    }

    bool name(const char* tagName, const SQObject& key)
    {
        int64_t at = begin(tagName);
        if (sq_type(key) == OT_STRING)
            u32(OT_STRING) && string(key);
        else
            u32(OT_NULL);
        return end(at);
    }

    bool tableContents(const SQObject& t)
    {
        int64_t at = begin("TABL");
        u32(static_cast<uint32_t>(sqSlotCount(t)));
        sqForEachSlot(t, [&](const SQObject& key, const SQObject& slot) {
            value(key);
            value(slot);
        });
        value(sqDelegateOf(t));
        return end(at);
    }

    bool closureContents(const SQObject& closure)
    {
        int64_t at = begin("CLOS");
        SQClosureParts parts = sqClosureParts(closure);
        value(parts.environment);
        u32(static_cast<uint32_t>(parts.outers.size()));
        for (const SQObjectPtr& outer : parts.outers)
            value(outer);
        u32(static_cast<uint32_t>(parts.defaults.size()));
        for (const SQObjectPtr& parameter : parts.defaults)
            value(parameter);
        return end(at);
    }

    bool instanceContents(const SQObject& instance)
    {
        int64_t at = begin("INST");
        u32(static_cast<uint32_t>(sqMemberCount(instance)));
        sqForEachMember(instance, [&](const SQObject& name, const SQObject& member) {
            if (sq_type(name) == OT_STRING)
                string(name);
            else
                u32(0);
            value(member);
        });
        return end(at);
    }

    bool protoSizes(const SQProtoParts& f)
    {
        int64_t at = begin("FNCI");
        for (size_t count : {f.code.size(), f.literals.size(), f.parameters.size(), f.functions.size(), f.outers.size(),
                             f.lines.size(), f.locals.size(), f.defaults.size()})
            u32(static_cast<uint32_t>(count));
        return end(at);
    }

    bool flag(bool set)
    {
        uint8_t bytes[4] = {uint8_t(set ? 1 : 0), 0, 0, 0};
        return raw(bytes, 4);
    }

    bool protoContents(const SQProtoParts& f)
    {
        int64_t at = begin("FUNC");
        value(f.sourceName);
        value(f.name);
        size_t codeBytes = f.code.size() * sizeof(SQInstruction);
        u32(static_cast<uint32_t>(codeBytes));
        raw(f.code.data(), codeBytes);
        Digest digest = sha256(f.code.data(), codeBytes);
        raw(digest.data(), digest.size());
        u32(static_cast<uint32_t>(f.stackSize));
        flag(f.generator);
        flag(f.varparams);
        for (const SQProtoParts::Local& local : f.locals)
            value(local.name) && u32(local.start) && u32(local.end) && u32(local.position);
        for (const SQProtoParts::Line& line : f.lines)
            u32(static_cast<uint32_t>(line.line)) && u32(static_cast<uint32_t>(line.op));
        raw(f.code.data(), codeBytes);
        for (const SQObjectPtr& literal : f.literals)
            value(literal);
        for (const SQObjectPtr& parameter : f.parameters)
            value(parameter);
        for (const SQObjectPtr& nested : f.functions)
            value(nested);
        for (const SQProtoParts::Outer& outer : f.outers)
            u32(outer.type) && value(outer.name) && value(outer.source);
        for (int32_t position : f.defaults)
            u32(static_cast<uint32_t>(position));
        return end(at);
    }

    HSQUIRRELVM vm;
    ReferenceTable& table;
    CFile& file;
    const SQObject& infoWriter;
    const SQObject& stateWriter;
    static constexpr size_t FlushThreshold = 1 << 20;
    std::vector<uint8_t> pending;
    int64_t bufferStart = 0;
    bool ok = true;
    std::vector<SQObjectPtr> writing; // the threads whose records are open, outermost first
};

// ---------------------------------------------------------------------------------------------
// Reading

// The eight sizes of a prototype's creation record, kept until its contents are read.
struct ProtoSizes
{
    uint32_t instructions, literals, parameters, functions, outers, lines, locals, defaults;
};

class Reader
{
public:
    Reader(HSQUIRRELVM vm, ReferenceTable& table, CFile& file, const SQObject& creator, const SQObject& stateReader)
        : vm(vm), table(table), file(file), creator(creator), stateReader(stateReader)
    {
        size = file.getFileSize();
    }

    int64_t left()
    {
        int64_t at = file.getFilePosition();
        return at < 0 || at > size ? 0 : size - at;
    }
    void need(uint64_t count, uint64_t bytesEach)
    {
        if (count * bytesEach > static_cast<uint64_t>(left()))
            throw Truncated{};
    }
    void raw(void* data, size_t bytes)
    {
        if (file.read(data, static_cast<uint32_t>(bytes)) != bytes)
            throw Truncated{};
    }
    uint32_t u32()
    {
        uint8_t b[4];
        raw(b, 4);
        return loadLE32(b);
    }
    uint16_t u16()
    {
        uint8_t b[2];
        raw(b, 2);
        return loadLE16(b);
    }
    bool tag(const char* name)
    {
        char bytes[5];
        raw(bytes, 5);
        return std::memcmp(bytes, name, 5) == 0;
    }
    std::string bytes()
    {
        uint32_t length = u32();
        need(length, 1);
        std::string text(length, '\0');
        if (length)
            raw(text.data(), length);
        return text;
    }
    SQObjectPtr makeString(const std::string& text) { return sqMakeString(vm, text); }
    // Tag and end field of a record.
    bool record(const char* name, int64_t* end = nullptr)
    {
        if (!tag(name))
            return false;
        uint32_t at = u32();
        if (end)
            *end = at;
        return true;
    }

    bool value(SQObjectPtr& target, bool* unresolved = nullptr)
    {
        int32_t kind = static_cast<int32_t>(u32());
        if (kind < 0)
        {
            if (unresolved)
                *unresolved = true;
            return true;
        }
        uint32_t type = u32();
        if (kind == 0)
        {
            switch (type)
            {
            case OT_NULL:
            case OT_USERPOINTER: target.Null(); return true;
            case OT_INTEGER: target.SetInteger(static_cast<SQInteger>(u32())); return true;
            case OT_FLOAT:
            {
                uint32_t word = u32();
                float f;
                std::memcpy(&f, &word, 4);
                target.SetFloat(f);
                return true;
            }
            case OT_BOOL: target.SetBool(u32() != 0); return true;
            default: return false;
            }
        }
        uint32_t index = u32();
        if (kind == 2)
        {
            ObjectFrame* frame = table.currentFrame();
            if (!frame || index >= frame->size())
                return false;
            if (frame->isUnresolved(index) && unresolved)
                *unresolved = true;
            target = frame->at(index);
            return true;
        }
        if (kind != 1 || index >= table.size())
            return false;
        ReferenceTable::Entry& entry = table.entry(index);
        if (entry.orderKey < 0 && unresolved)
            *unresolved = true;
        target = entry.value;
        return true;
    }

    bool info(SQObjectPtr& target)
    {
        uint32_t type = u32();
        if (!ISREFCOUNTED(type))
            return true;
        switch (static_cast<SQObjectType>(type))
        {
        case OT_INSTANCE: return createInstance(target);
        case OT_STRING:
        {
            if (!record("STRI"))
                return false;
            target = makeString(bytes());
            return true;
        }
        case OT_TABLE:
        {
            if (!record("TABI"))
                return false;
            if (u32())
                target = sqRootTable(vm);
            else
                target = sqNewTable(vm);
            return true;
        }
        case OT_FUNCPROTO: return createProto(target);
        case OT_CLOSURE: return createClosure(target);
        case OT_WEAKREF: return createWeakRef(target);
        case OT_ARRAY: target = sqNewArray(vm); return true;
        case OT_THREAD: return createThread(target);
        case OT_NATIVECLOSURE:
            if (!findByName("NTCI", OT_NATIVECLOSURE, target))
                return false;
            if (sq_type(target) == OT_NULL)
                target.SetInteger(0);
            return true;
        case OT_CLASS:
            if (!findByName("CLSI", OT_CLASS, target) || sq_type(target) != OT_CLASS)
                target.SetInteger(0);
            return true;
        case OT_USERDATA: target.SetInteger(0); return true;
        case OT_GENERATOR: return true;
        default: return false;
        }
    }

    bool contents(SQObjectPtr& target)
    {
        uint32_t type = u32();
        switch (static_cast<SQObjectType>(type))
        {
        case OT_TABLE: return tableContents(target);
        case OT_ARRAY: return arrayContents(target);
        case OT_CLOSURE: return closureContents(target);
        case OT_FUNCPROTO: return protoContents(target);
        case OT_INSTANCE: return instanceContents(target);
        case OT_THREAD: return threadContents(target);
        case OT_INTEGER: target.SetInteger(static_cast<SQInteger>(u32())); return true;
        case OT_FLOAT:
        {
            uint32_t word = u32();
            float f;
            std::memcpy(&f, &word, 4);
            target.SetFloat(f);
            return true;
        }
        case OT_BOOL: target.SetBool(u32() != 0); return true;
        case OT_NULL: target.Null(); return true;
        case OT_STRING:
        case OT_USERDATA:
        case OT_NATIVECLOSURE:
        case OT_GENERATOR:
        case OT_CLASS:
        case OT_WEAKREF:
        case OT_USERPOINTER: return true;
        default: return false;
        }
    }

    bool restoreRecord(const SQObject& target)
    {
        int64_t end = 0;
        if (!record("INRE", &end))
            return false;
        if (!ISREFCOUNTED(sq_type(target)))
            return file.seekStart(end), true;
        if (sq_type(target) != OT_INSTANCE)
            return file.seekStart(end), false;
        if (!isClosure(stateReader))
            return false;
        bool called = callClosure(vm, stateReader, &target, nullptr);
        file.seekStart(end);
        return called;
    }

    // Every prototype that is some prototype's nested function gets the operand checks against
    // that parent; nested functions must form trees. Failing prototypes are emptied so that
    // their code can never run.
    bool checkNesting()
    {
        bool good = true;
        std::unordered_map<SQFunctionProto*, int> parents;
        for (const SQObjectPtr& value : createdProtos)
        {
            if (filled.count(value._unVal.pFunctionProto) == 0)
                continue;
            SQProtoParts parent = sqProtoParts(value);
            for (const SQObjectPtr& nested : parent.functions)
            {
                SQFunctionProto* child = nested._unVal.pFunctionProto;
                if (++parents[child] > 1 || filled.count(child) == 0 || !sqProtoPartsValid(sqProtoParts(nested), &parent))
                {
                    good = false;
                    disable(value);
                    break;
                }
            }
        }
        if (good && hasNestingCycle())
            good = false;
        return good;
    }

    // Threads get their machine state once every function prototype is final: their frames
    // point into the prototypes' code. A thread whose state does not fit stays idle.
    bool finishThreads()
    {
        std::vector<std::pair<SQObjectPtr, SQThreadImage>> threads = std::move(restoredThreads);
        restoredThreads.clear();
        for (auto& [thread, image] : threads)
        {
            SQVM* machine = thread._unVal.pThread;
            if (sq_getvmstate(machine) != SQ_VMSTATE_IDLE || image.check())
                return false;
            image.applyTo(machine);
        }
        return true;
    }

private:
    bool createThread(SQObjectPtr& target)
    {
        if (!record("THRI"))
            return false;
        uint32_t stackSize = u32();
        // The contents record holds a value for every slot.
        if (stackSize > static_cast<uint32_t>(sqMaxThreadStack()))
            return false;
        need(stackSize, 4);
        // Until its contents arrive the thread is an idle one with no function in slot 0, so that
        // a script reaching it early can only fail to call it.
        SQObjectPtr thread = sqNewIdleThread(vm, static_cast<SQInteger>(stackSize));
        if (sq_type(thread) != OT_THREAD)
            return false;
        target = thread;
        return true;
    }

    bool threadContents(SQObjectPtr& target)
    {
        int64_t end = 0;
        if (!record("THRD", &end) || sq_type(target) != OT_THREAD || table.frameDepth() >= MaxThreadNesting)
            return false;
        SQThreadImage image;
        {
            ReferenceTable::FrameScope scope(table);
            if (!nestedTable(scope.get()))
                return false;
            if (!machineState(image, end))
                return false;
        }
        restoredThreads.emplace_back(target, std::move(image));
        return true;
    }

    bool nestedTable(ObjectFrame& frame)
    {
        uint32_t count = u32();
        // Each value has at least its type word in both passes.
        need(count, 8);
        uint32_t instances = u32();
        if (instances > count)
            return false;
        frame.reset(count);
        for (uint32_t i = 0; i < count; i++)
        {
            SQObjectPtr created;
            if (!info(created))
                return false;
            if (sq_type(created) != OT_NULL && !ISREFCOUNTED(sq_type(created)))
            {
                frame.markUnresolved(i);
                created.Null();
            }
            frame.at(i) = created;
        }
        for (uint32_t i = 0; i < count; i++)
            if (!contents(frame.at(i)))
                return false;
        for (uint32_t n = 0; n < instances; n++)
        {
            uint32_t index = u32();
            if (index >= count || !restoreRecord(SQObjectPtr(frame.at(index))))
                return false;
        }
        return true;
    }

    bool machineState(SQThreadImage& image, int64_t end)
    {
        uint32_t stackSize = u32();
        if (stackSize > static_cast<uint32_t>(sqMaxThreadStack()))
            return false;
        need(stackSize, 4);
        image.top = u32();
        image.base = u32();
        image.suspended = u32() != 0;
        image.suspendedRoot = u32() != 0;
        image.suspendedTarget = static_cast<int32_t>(u32());
        image.suspendedTraps = u32();
        image.suspendedVarargCount = u16();
        image.suspendedVarargBase = u16();
        image.nativeCalls = u32();
        if (!value(image.temporary))
            return false;
        uint32_t varargCount = u32();
        need(varargCount, 4);
        image.varargs.resize(varargCount);
        for (SQObjectPtr& argument : image.varargs)
            if (!value(argument))
                return false;
        uint32_t frameCount = u32();
        need(frameCount, FrameRecordBytes);
        image.frameCapacity = u32();
        image.frameStorage = u32();
        image.frames.resize(frameCount);
        for (SQThreadImage::Frame& call : image.frames)
        {
            call.traps = u32();
            call.previousBase = u32();
            call.previousTop = u32();
            call.target = static_cast<int32_t>(u32());
            call.calls = u32();
            call.root = u32() != 0;
            call.varargCount = u16();
            call.varargBase = u16();
            call.instruction = u32();
            if (!value(call.closure))
                return false;
        }
        image.stack.resize(stackSize);
        for (SQObjectPtr& slot : image.stack)
            if (!value(slot))
                return false;
        // A record without the trap list can only stand for a thread that had no traps.
        if (file.getFilePosition() < end)
        {
            uint32_t trapCount = u32();
            need(trapCount, 16);
            image.traps.resize(trapCount);
            for (SQThreadImage::Trap& trap : image.traps)
            {
                trap.stackBase = u32();
                trap.stackTop = u32();
                trap.instruction = u32();
                trap.target = static_cast<int32_t>(u32());
            }
        }
        if (file.getFilePosition() < end)
            file.seekStart(end);
        return true;
    }

    bool createInstance(SQObjectPtr& target)
    {
        if (!record("INSI") || !isClosure(creator))
            return false;
        return callClosure(vm, creator, nullptr, &target);
    }

    bool findByName(const char* name, SQObjectType kind, SQObjectPtr& target)
    {
        if (!record(name))
            return false;
        if (u32() != OT_STRING)
            return true;
        SQObjectPtr key = makeString(bytes());
        SQObjectPtr found;
        if (sqTableGet(sqRootTable(vm), key, found) && sq_type(found) == kind)
            target = found;
        return true;
    }

    bool createWeakRef(SQObjectPtr& target)
    {
        if (!record("WEKI"))
            return false;
        int32_t kind = static_cast<int32_t>(u32());
        if (kind < 0)
        {
            target.SetInteger(0);
            return true;
        }
        if (u32() == OT_NULL)
        {
            target.Null();
            return true;
        }
        uint32_t index = u32();
        SQObjectPtr object;
        ObjectFrame* frame = table.currentFrame();
        if (kind == 1)
            object = table.get(index);
        else if (kind == 2 && frame && index < frame->size())
            object = frame->at(index);
        target = sqMakeWeakRef(object);
        return true;
    }

    bool createProto(SQObjectPtr& target)
    {
        if (!record("FNCI"))
            return false;
        ProtoSizes s{};
        uint32_t* fields[] = {&s.instructions, &s.literals, &s.parameters, &s.functions,
                              &s.outers,       &s.lines,    &s.locals,     &s.defaults};
        for (uint32_t* field : fields)
            *field = u32();
        // The contents record needs at least this many bytes.
        uint64_t least = uint64_t(s.instructions) * 16 + uint64_t(s.literals) * 4 + uint64_t(s.parameters) * 4 +
                         uint64_t(s.functions) * 4 + uint64_t(s.outers) * 12 + uint64_t(s.lines) * 8 +
                         uint64_t(s.locals) * 16 + uint64_t(s.defaults) * 4;
        need(least, 1);
        target = sqNewProto(vm, s.outers, s.defaults);
        createdProtos.push_back(target);
        sizes[target._unVal.pFunctionProto] = s;
        return true;
    }

    // A body that only returns: what a prototype runs until its checked code is in place.
    void disable(const SQObject& proto)
    {
        sqDisableProto(vm, proto);
        filled.erase(proto._unVal.pFunctionProto);
    }

    bool createClosure(SQObjectPtr& target)
    {
        if (!record("CLOI"))
            return false;
        SQObjectPtr proto;
        if (!value(proto) || sq_type(proto) != OT_FUNCPROTO)
            return false;
        target = sqNewClosure(vm, proto);
        return true;
    }

    bool tableContents(SQObjectPtr& target)
    {
        int64_t end = 0;
        if (!record("TABL", &end) || sq_type(target) != OT_TABLE)
            return false;
        bool isRoot = sqRawEqual(target, sqRootTable(vm));
        uint32_t count = u32();
        need(count, 8);
        for (uint32_t i = 0; i < count; i++)
        {
            SQObjectPtr key, val;
            bool unresolved = false;
            if (!value(key, &unresolved) || !value(val, &unresolved))
                return false;
            if (unresolved || sq_type(key) == OT_NULL || (isRoot && sq_type(val) == OT_CLASS))
                continue;
            sqTableNewSlot(target, key, val);
        }
        if (file.getFilePosition() < end)
        {
            SQObjectPtr delegate;
            if (!value(delegate))
                return false;
            if (!isRoot)
                sqTableSetDelegate(target, delegate);
        }
        return true;
    }

    bool arrayContents(SQObjectPtr& target)
    {
        if (!record("ARRY") || sq_type(target) != OT_ARRAY)
            return false;
        uint32_t count = u32();
        need(count, 4);
        std::vector<SQObjectPtr> elements(count);
        for (SQObjectPtr& element : elements)
            if (!value(element))
                return false;
        return sqArrayAssign(target, std::move(elements));
    }

    bool closureContents(SQObjectPtr& target)
    {
        if (!record("CLOS") || sq_type(target) != OT_CLOSURE)
            return false;
        SQClosureParts parts = sqClosureParts(target);
        if (!value(parts.environment))
            return false;
        for (std::vector<SQObjectPtr>* values : {&parts.outers, &parts.defaults})
        {
            if (u32() != values->size())
                return false;
            for (SQObjectPtr& element : *values)
                if (!value(element))
                    return false;
        }
        return sqSetClosureParts(target, parts);
    }

    bool instanceContents(SQObjectPtr& target)
    {
        int64_t end = 0;
        if (!record("INST", &end))
            return false;
        if (!ISREFCOUNTED(sq_type(target)))
            return file.seekStart(end), true;
        if (sq_type(target) != OT_INSTANCE)
            return false;
        uint32_t count = u32();
        need(count, 8);
        for (uint32_t i = 0; i < count; i++)
        {
            SQObjectPtr name = makeString(bytes());
            SQObjectPtr val;
            bool unresolved = false;
            if (!value(val, &unresolved))
                return false;
            if (!unresolved)
                sqInstanceSet(target, name, val);
        }
        return true;
    }

    bool readFlag()
    {
        uint8_t bytes[4];
        raw(bytes, 4);
        return bytes[0] != 0;
    }

    bool protoContents(SQObjectPtr& target)
    {
        if (!record("FUNC") || sq_type(target) != OT_FUNCPROTO)
            return false;
        SQFunctionProto* proto = target._unVal.pFunctionProto;
        auto known = sizes.find(proto);
        if (known == sizes.end())
            return false;
        const ProtoSizes s = known->second;
        sizes.erase(known);

        SQProtoParts fresh;
        if (!value(fresh.sourceName) || !value(fresh.name))
            return false;
        uint32_t codeBytes = u32();
        if (codeBytes != uint64_t(s.instructions) * sizeof(SQInstruction))
            return false;
        need(codeBytes, 2);
        std::vector<uint8_t> code(codeBytes);
        raw(code.data(), codeBytes);
        Digest digest;
        raw(digest.data(), digest.size());
        if (digest != sha256(code.data(), code.size()))
            return false;
        fresh.stackSize = static_cast<int32_t>(u32());
        fresh.generator = readFlag();
        fresh.varparams = readFlag();
        fresh.locals.resize(s.locals);
        for (SQProtoParts::Local& local : fresh.locals)
        {
            if (!value(local.name))
                return false;
            local.start = u32();
            local.end = u32();
            local.position = u32();
        }
        fresh.lines.resize(s.lines);
        for (SQProtoParts::Line& line : fresh.lines)
        {
            line.line = static_cast<int32_t>(u32());
            line.op = static_cast<int32_t>(u32());
        }
        fresh.code.resize(s.instructions);
        raw(fresh.code.data(), codeBytes);
        if (codeBytes && std::memcmp(fresh.code.data(), code.data(), codeBytes) != 0)
            return false;
        for (auto [values, count] : {std::pair{&fresh.literals, s.literals}, std::pair{&fresh.parameters, s.parameters},
                                     std::pair{&fresh.functions, s.functions}})
        {
            values->resize(count);
            for (SQObjectPtr& element : *values)
                if (!value(element))
                    return false;
        }
        for (const SQObjectPtr& nested : fresh.functions)
            if (sq_type(nested) != OT_FUNCPROTO || nested._unVal.pFunctionProto == proto)
                return false;
        fresh.outers.resize(s.outers);
        for (SQProtoParts::Outer& outer : fresh.outers)
        {
            outer.type = u32();
            if (!value(outer.name) || !value(outer.source))
                return false;
        }
        fresh.defaults.resize(s.defaults);
        for (int32_t& position : fresh.defaults)
            position = static_cast<int32_t>(u32());

        // Nested prototypes are checked against their real parent once every record is read.
        SQProtoParts lenientParent;
        lenientParent.stackSize = 256;
        lenientParent.outers.resize(256);
        bool nestedOnly = !fresh.outers.empty() || !fresh.defaults.empty();
        if (!sqProtoPartsValid(fresh, nestedOnly ? &lenientParent : nullptr))
            return false;

        sqSetProtoParts(target, std::move(fresh));
        filled.insert(proto);
        return true;
    }

    bool hasNestingCycle()
    {
        struct Step
        {
            SQObjectPtr proto;
            std::vector<SQObjectPtr> nested;
            size_t next = 0;
        };
        std::unordered_map<SQFunctionProto*, int> state; // 1 on the path, 2 done
        std::vector<Step> path;
        for (const SQObjectPtr& start : createdProtos)
        {
            if (filled.count(start._unVal.pFunctionProto) == 0 || state[start._unVal.pFunctionProto])
                continue;
            path.push_back({start, sqProtoFunctions(start)});
            state[start._unVal.pFunctionProto] = 1;
            while (!path.empty())
            {
                Step& step = path.back();
                if (step.next == step.nested.size())
                {
                    state[step.proto._unVal.pFunctionProto] = 2;
                    path.pop_back();
                    continue;
                }
                SQObjectPtr child = step.nested[step.next++];
                int& seen = state[child._unVal.pFunctionProto];
                if (seen == 1)
                {
                    disable(child);
                    return true;
                }
                if (seen == 0)
                {
                    seen = 1;
                    path.push_back({child, sqProtoFunctions(child)});
                }
            }
        }
        return false;
    }

    HSQUIRRELVM vm;
    ReferenceTable& table;
    CFile& file;
    const SQObject& creator;
    const SQObject& stateReader;
    int64_t size = 0;
    std::unordered_map<SQFunctionProto*, ProtoSizes> sizes;
    std::unordered_set<SQFunctionProto*> filled;
    // Every prototype read stays alive until reading ends: the bookkeeping above names them by
    // address, and those of a thread record's nested table may have no other holder.
    std::vector<SQObjectPtr> createdProtos;
    std::vector<std::pair<SQObjectPtr, SQThreadImage>> restoredThreads;
};

template <typename Step> bool guarded(Step step)
{
    try
    {
        return step();
    }
    catch (const Truncated&)
    {
        return false;
    }
}

} // namespace

int ScriptStateFile::save(const SQObject& infoWriter, const SQObject& stateWriter)
{
    if (table.isBusy())
        return -1;
    ReferenceTable::BusyScope scope(table);
    Writer out(vm, table, file, infoWriter, stateWriter);
    uint32_t count = table.size();
    uint32_t instances = 0;
    for (uint32_t i = 0; i < count; i++)
        instances += sq_type(table.entry(i).value) == OT_INSTANCE;
    if (!out.tag("ROOT") || !out.u32(count) || !out.u32(instances) || !out.tag("INSC"))
        return -1;
    for (uint32_t i = 0; i < count; i++)
        if (!out.info(SQObjectPtr(table.entry(i).value)))
            return -1;
    if (!out.flushFile() || !out.tag("REFT"))
        return -1;
    for (uint32_t i = 0; i < count; i++)
        if (!out.contents(SQObjectPtr(table.entry(i).value)))
            return -1;
    if (!out.flushFile())
        return -1;
    int64_t flushedAt = out.position();
    if (!out.tag("INSR"))
        return -1;
    for (uint32_t i = 0; i < count; i++)
    {
        SQObjectPtr value = table.entry(i).value;
        if (sq_type(value) == OT_INSTANCE && !(out.u32(i) && out.restoreRecord(value)))
            return -1;
        int64_t here = out.position();
        if (here - flushedAt >= InsrFlushBytes)
        {
            out.flushFile();
            flushedAt = here;
        }
    }
    return out.sync() ? 0 : -1;
}

int ScriptStateFile::restore(const SQObject& creator, const SQObject& stateReader, const SQObject& onError)
{
    if (table.isBusy())
        return -2;
    ReferenceTable::BusyScope scope(table);
    Reader in(vm, table, file, creator, stateReader);
    uint32_t count = 0;
    uint32_t instances = 0;
    bool header = guarded([&] {
        if (!in.tag("ROOT"))
            return false;
        count = in.u32();
        // Every entry takes at least its type word in each of the two sections.
        in.need(count, 8);
        instances = in.u32();
        return true;
    });
    if (!header)
        return -2;
    table.reset(vm, count);
    if (!guarded([&] { return in.tag("INSC"); }))
        return -2;
    for (uint32_t i = 0; i < count; i++)
    {
        SQObjectPtr value;
        if (!guarded([&] { return in.info(value); }))
            return -1;
        ReferenceTable::Entry& entry = table.entry(i);
        bool object = sq_type(value) == OT_NULL || ISREFCOUNTED(sq_type(value));
        entry.orderKey = object ? 0 : -1;
        entry.value = object ? value : SQObjectPtr();
    }
    if (!guarded([&] { return in.tag("REFT"); }))
        return -2;
    for (uint32_t i = 0; i < count; i++)
        if (!guarded([&] { return in.contents(table.entry(i).value); }))
            return -2;
    if (!in.checkNesting() || !in.finishThreads())
        return -2;
    if (!guarded([&] { return in.tag("INSR"); }))
        return -2;
    int result = 0;
    for (uint32_t n = 0; n < instances; n++)
    {
        uint32_t index = 0;
        if (!guarded([&] {
                index = in.u32();
                return index < count;
            }))
            return -2;
        SQObjectPtr value = table.entry(index).value;
        if (guarded([&] { return in.restoreRecord(value); }))
            continue;
        // A lost instance must not look like success.
        if (!isClosure(onError))
            return -1;
        SQObjectPtr answer;
        if (callClosure(vm, onError, &value, &answer) && sq_type(answer) == OT_INTEGER)
            result = std::min(result, static_cast<int>(answer._unVal.nInteger));
    }
    return result;
}

} // namespace Orvane
