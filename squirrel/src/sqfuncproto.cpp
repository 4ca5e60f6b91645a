#include "sqfuncproto.h"

#include "sqstring.h"

void SQFunctionProto::Release() { delete this; }

SQInteger SQFunctionProto::GetLine(SQInteger nextop) const {
    if (_lineinfos.empty()) return 0;
    SQInteger line = _lineinfos[0]._line;
    for (size_t i = 1; i < _lineinfos.size(); i++) {
        if (_lineinfos[i]._op >= nextop) return line;
        line = _lineinfos[i]._line;
    }
    return line;
}

const SQLocalVarInfo *SQFunctionProto::GetLocal(SQUnsignedInteger nseq, SQUnsignedInteger op) const {
    for (const SQLocalVarInfo &lvi : _localvarinfos) {
        if (lvi._start_op <= op && lvi._end_op >= op) {
            if (nseq == 0) return &lvi;
            nseq--;
        }
    }
    return nullptr;
}

SQObjectPtr SQFunctionProto::ObjectFromStream(SQSharedState *ss, const SQStreamObject &o) {
    switch (o.type) {
        case OT_INTEGER: return SQObjectPtr(static_cast<SQInteger>(o.integer));
        case OT_FLOAT: return SQObjectPtr(static_cast<SQFloat>(o.real));
        case OT_BOOL: return SQObjectPtr(o.integer != 0);
        case OT_STRING:
            return SQObjectPtr(SQString::Create(ss, o.text.data(), static_cast<SQInteger>(o.text.size())));
        default: return SQObjectPtr();
    }
}

SQStreamObject SQFunctionProto::ObjectToStream(const SQObject &o) {
    switch (o._type) {
        case OT_INTEGER: return SQStreamObject::fromInteger(o._unVal.nInteger);
        case OT_FLOAT: return SQStreamObject::fromFloat(o._unVal.fFloat);
        case OT_STRING:
            return SQStreamObject::fromString(
                std::string(o._unVal.pString->_val, static_cast<size_t>(o._unVal.pString->_len)));
        case OT_NULL: return SQStreamObject::null();
        default: {
            // Not serializable; the stream writer reports "cannot serialize a <type>".
            SQStreamObject other;
            other.type = o._type;
            return other;
        }
    }
}

SQFunctionProto *SQFunctionProto::FromImage(SQSharedState *ss, const SQProtoImage &image) {
    SQFunctionProto *f = Create();
    f->_sourcename = ObjectFromStream(ss, image.sourcename);
    f->_name = ObjectFromStream(ss, image.name);
    for (const SQStreamObject &o : image.literals) f->_literals.push_back(ObjectFromStream(ss, o));
    for (const SQStreamObject &o : image.parameters) f->_parameters.push_back(ObjectFromStream(ss, o));
    for (const SQProtoImage::Outer &o : image.outervalues) {
        SQOuterVar ov;
        ov._type = static_cast<SQOuterType>(o.type);
        ov._src = ObjectFromStream(ss, o.src);
        ov._name = ObjectFromStream(ss, o.name);
        f->_outervalues.push_back(std::move(ov));
    }
    for (const SQProtoImage::Local &l : image.localvarinfos) {
        SQLocalVarInfo lvi;
        lvi._name = ObjectFromStream(ss, l.name);
        lvi._pos = l.pos;
        lvi._start_op = l.start_op;
        lvi._end_op = l.end_op;
        f->_localvarinfos.push_back(std::move(lvi));
    }
    for (const SQProtoImage::Line &l : image.lineinfos) f->_lineinfos.push_back(SQLineInfo{l.line, l.op});
    for (std::int32_t d : image.defaultparams) f->_defaultparams.push_back(d);
    f->_instructions = image.instructions;
    for (const SQProtoImage &child : image.functions) f->_functions.push_back(SQObjectPtr(FromImage(ss, child)));
    f->_stacksize = image.stacksize;
    f->_bgenerator = image.generator;
    f->_varparams = image.varparams;
    return f;
}

SQProtoImage SQFunctionProto::ToImage() const {
    SQProtoImage image;
    image.sourcename = ObjectToStream(_sourcename);
    image.name = ObjectToStream(_name);
    for (const SQObjectPtr &o : _literals) image.literals.push_back(ObjectToStream(o));
    for (const SQObjectPtr &o : _parameters) image.parameters.push_back(ObjectToStream(o));
    for (const SQOuterVar &o : _outervalues)
        image.outervalues.push_back({static_cast<std::uint32_t>(o._type), ObjectToStream(o._src), ObjectToStream(o._name)});
    for (const SQLocalVarInfo &l : _localvarinfos)
        image.localvarinfos.push_back({ObjectToStream(l._name), l._pos, l._start_op, l._end_op});
    for (const SQLineInfo &l : _lineinfos) image.lineinfos.push_back({l._line, l._op});
    for (SQInteger d : _defaultparams) image.defaultparams.push_back(d);
    image.instructions = _instructions;
    for (const SQObjectPtr &child : _functions) image.functions.push_back(child._unVal.pFunctionProto->ToImage());
    image.stacksize = _stacksize;
    image.generator = _bgenerator;
    image.varparams = _varparams;
    return image;
}
