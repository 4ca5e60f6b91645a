// Base library globals and the table, closure, generator, thread, class, instance and weak
// reference default delegates.
function run(label, f) {
    local r;
    try {
        r = f();
        r = r == null ? "null" : typeof r + " " + r;
    } catch (e) {
        r = "error: " + e;
    }
    print(label + " => " + r + "\n");
}

function probe(x) {
    local infos = getstackinfos(1);
    return infos.func + " " + infos.src + " " + infos.line + " x=" + infos.locals.x;
}

run("_version_", function() { return _version_; });
run("sizes", function() { return _charsize_ + " " + _intsize_ + " " + _floatsize_; });
local typed = [5, 1.5, true, "s", [], {}, null, print, regexp, blob()];
foreach (v in typed) run("type", function() : (v) { return type(v); });
run("typeof blob", function() { return typeof blob(); });
run("assert true", function() { return assert(true); });
run("assert false", function() { return assert(false); });
run("assert 0", function() { return assert(0); });
run("compilestring", function() { return compilestring("return 1 + 2")(); });
run("compilestring stops at zero", function() { return compilestring("return 7\0 garbage")(); });
run("compilestring error", function() { return compilestring("local x x"); });
run("getroottable", function() { return getroottable() == ::getroottable(); });
run("setroottable 5", function() { return setroottable(5); });
run("getconsttable", function() { return typeof getconsttable(); });
run("setconsttable 5", function() { return setconsttable(5); });
run("dummy", function() { return dummy(1, 2, 3); });
run("collectgarbage", function() { return typeof ::collectgarbage(); });
run("getstackinfos 0", function() { local i = getstackinfos(0); return i.func + " " + i.src + " " + i.line; });
run("getstackinfos 1", function() { return probe(42); });
run("getstackinfos beyond", function() { return getstackinfos(1000); });

local t = {a = 1};
run("table len", function() : (t) { return t.len(); });
run("table rawget", function() : (t) { return t.rawget("a"); });
run("table rawget missing", function() : (t) { return t.rawget("zz"); });
run("table rawset", function() : (t) { return t.rawset("b", 2); });
run("table after rawset", function() : (t) { return t.b; });
run("table rawset null key", function() : (t) { return t.rawset(null, 1); });
run("table rawin own", function() : (t) { return t.rawin("a"); });
run("table rawin delegate member", function() : (t) { return t.rawin("len"); });
run("table rawdelete", function() : (t) { return t.rawdelete("a"); });
run("table rawdelete again", function() : (t) { return t.rawdelete("a"); });
run("table len after delete", function() : (t) { return t.len(); });
run("table clear", function() : (t) { return t.clear(); });
run("table len after clear", function() : (t) { return t.len(); });
run("table tostring through _tostring", function() {
    local w = delegate { _tostring = function() { return "custom"; } } : {};
    return w.tostring();
});
run("table weakref", function() : (t) { return t.weakref().ref() == t; });

function add(a, b) {
    return a + b;
}
function va(x, ...) {
}
run("call", function() { return add.call(this, 1, 2); });
run("pcall", function() { return add.pcall(this, 1, 2); });
run("acall", function() { return add.acall([this, 3, 4]); });
run("pacall", function() { return add.pacall([this, 3, 4]); });
run("acall empty", function() { return add.acall([]); });
run("pcall missing argument", function() { return add.pcall(this, 1); });
local infos = add.getinfos();
run("getinfos script", function() : (infos) {
    local s = infos.native + " " + infos.name + " " + infos.src + " " + infos.varargs;
    foreach (p in infos.parameters) s += " " + p;
    return s;
});
run("getinfos varargs", function() {
    local i = va.getinfos();
    local s = "" + i.varargs;
    foreach (p in i.parameters) s += " " + p;
    return s;
});
run("getinfos anonymous", function() {
    local anonymous = function() {};
    return anonymous.getinfos().name;
});
run("getinfos native", function() {
    local i = format.getinfos();
    local s = i.native + " " + i.name + " " + i.paramscheck;
    foreach (m in i.typecheck) s += " " + m;
    return s;
});
run("getinfos native without mask", function() { return print.getinfos().typecheck; });
function getv() {
    return v;
}
run("bindenv", function() {
    local env = {v = 7};
    local bound = getv.bindenv(env);
    return bound();
});

function gen() {
    yield 1;
    yield 2;
}
local g = gen();
run("generator new", function() : (g) { return g.getstatus(); });
run("generator resume", function() : (g) { return resume g; });
run("generator resume again", function() : (g) { return resume g; });
run("generator finish", function() : (g) { return resume g; });
run("generator dead", function() : (g) { return g.getstatus(); });

local th = newthread(function(a) {
    local x = suspend(a + 1);
    return x * 2;
});
run("thread new", function() : (th) { return th.getstatus(); });
run("thread call", function() : (th) { return th.call(10); });
run("thread suspended", function() : (th) { return th.getstatus(); });
run("thread wakeup", function() : (th) { return th.wakeup(5); });
run("thread idle again", function() : (th) { return th.getstatus(); });
run("thread wakeup idle", function() : (th) { return th.wakeup(); });
run("thread error", function() { return newthread(function() { throw "inside"; }).call(); });

class Foo </ tag = "cls" /> {
    </ help = "x field" />
    x = 1
    function m() {
        return x;
    }
}
run("class attributes", function() { return Foo.getattributes(null).tag; });
run("member attributes", function() { return Foo.getattributes("x").help; });
run("unknown member attributes", function() { return Foo.getattributes("zz"); });
run("setattributes returns previous", function() { return Foo.setattributes("x", {help = "new"}).help; });
run("attributes replaced", function() { return Foo.getattributes("x").help; });
run("class rawin", function() { return Foo.rawin("m") + " " + Foo.rawin("zz"); });
local inst = Foo.instance();
run("instance without constructor", function() : (inst) { return inst.x; });
run("instance getclass", function() : (inst) { return inst.getclass() == Foo; });
run("instance rawin", function() : (inst) { return inst.rawin("x") + " " + inst.rawin("nope"); });

local target = [1];
local w = target.weakref();
run("weakref type", function() : (w) { return typeof w; });
run("weakref ref", function() : (w, target) { return w.ref() == target; });
run("weakref of number", function() { return (5).weakref(); });
run("bool tointeger", function() { return true.tointeger() + false.tointeger(); });
run("bool tofloat", function() { return true.tofloat(); });
run("bool tostring", function() { return false.tostring(); });
