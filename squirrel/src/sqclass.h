// Classes and instances. A class maps member names to tagged indexes in its member table:
// 0x01000000|i for methods and statics (into _methods), 0x02000000|i for fields (into
// _defaultvalues). Metamethod-named functions live only in _metamethods.
#pragma once

#include "sqobject.h"
#include "sqtable.h"

#define MEMBER_TYPE_METHOD 0x01000000
#define MEMBER_TYPE_FIELD 0x02000000
#define _ismethod(o) (_integer(o) & MEMBER_TYPE_METHOD)
#define _isfield(o) (_integer(o) & MEMBER_TYPE_FIELD)
#define _make_method_idx(i) ((SQInteger)(MEMBER_TYPE_METHOD | (i)))
#define _make_field_idx(i) ((SQInteger)(MEMBER_TYPE_FIELD | (i)))
#define _member_type(o) (_integer(o) & 0xFF000000)
#define _member_idx(o) (_integer(o) & 0x00FFFFFF)

struct SQClassMember {
    SQObjectPtr val;
    SQObjectPtr attrs;
};

struct SQInstance;

struct SQClass : public SQCollectable {
    SQTable *_members = nullptr;
    SQClass *_base = nullptr;
    std::vector<SQClassMember> _defaultvalues;
    std::vector<SQClassMember> _methods;
    SQObjectPtr _metamethods[MT_LAST];
    SQObjectPtr _attributes;
    SQUserPointer _typetag = nullptr;
    SQRELEASEHOOK _hook = nullptr;
    bool _locked = false;
    SQInteger _udsize = 0;

    static SQClass *Create(SQSharedState *ss, SQClass *base);
    SQClass(SQSharedState *ss, SQClass *base);
    ~SQClass() override;
    void Release() override;
    void Finalize() override;
    void Mark(SQGCMarker &marker) override;

    // Adds or replaces a member (false when the class is locked).
    bool NewSlot(SQSharedState *ss, const SQObjectPtr &key, const SQObjectPtr &val, bool bstatic);
    // Member value by name: method, static or field default (weak references read through).
    bool Get(const SQObjectPtr &key, SQObjectPtr &val) const;
    bool SetAttributes(const SQObjectPtr &key, const SQObjectPtr &val);
    bool GetAttributes(const SQObjectPtr &key, SQObjectPtr &outval);
    void Lock();
    SQInstance *CreateInstance();
    SQInteger Next(const SQObjectPtr &refpos, SQObjectPtr &outkey, SQObjectPtr &outval);
    bool GetConstructor(SQObjectPtr &ctor) const;
    SQObjectPtr *GetMetaMethod(SQInteger mm) { return sq_type(_metamethods[mm]) == OT_NULL ? nullptr : &_metamethods[mm]; }
};

struct SQInstance : public SQDelegable {
    SQClass *_class = nullptr;
    SQUserPointer _userpointer = nullptr;
    SQRELEASEHOOK _hook = nullptr;
    void *_udmemory = nullptr;  // block of the class's udsize, owned
    std::vector<SQObjectPtr> _values;

    static SQInstance *Create(SQSharedState *ss, SQClass *theclass);
    SQInstance(SQSharedState *ss, SQClass *c);
    ~SQInstance() override;
    void Release() override;
    void Finalize() override;
    void Mark(SQGCMarker &marker) override;

    SQInstance *Clone(SQSharedState *ss);
    // Field, method or static by name (weak references read through).
    bool Get(const SQObjectPtr &key, SQObjectPtr &val) const;
    // Fields only.
    bool Set(const SQObjectPtr &key, const SQObjectPtr &val);
    bool InstanceOf(const SQClass *trg) const;
    SQObjectPtr *GetMetaMethod(SQInteger mm) { return _class->GetMetaMethod(mm); }

private:
    void ReleaseHookAndMemory();
};
