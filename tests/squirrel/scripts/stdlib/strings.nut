// String library functions and the string/number default delegates on empty and edge inputs.
function show(v) {
    if (v == null) return "null";
    if (typeof v == "string") return "[" + v + "]";
    return typeof v + " " + v;
}

function run(label, f) {
    local r;
    try {
        r = show(f());
    } catch (e) {
        r = "error: " + e;
    }
    print(label + " => " + r + "\n");
}

function joined(a) {
    local s = a.len() + " [";
    foreach (i, x in a) s += (i > 0 ? "|" : "") + x;
    return s + "]";
}

run("strip mixed", function() { return strip("  ab c \t\n"); });
run("strip empty", function() { return strip(""); });
run("strip all white", function() { return strip(" \t\n\v\f\r"); });
run("strip single", function() { return strip("x"); });
run("lstrip", function() { return lstrip("  ab "); });
run("lstrip empty", function() { return lstrip(""); });
run("lstrip all white", function() { return lstrip("   "); });
run("lstrip embedded zero len", function() { return lstrip("a\0b").len(); });
run("rstrip", function() { return rstrip("  ab  "); });
run("rstrip three spaces", function() { return rstrip("   "); });
run("rstrip one space", function() { return rstrip(" "); });
run("rstrip empty", function() { return rstrip(""); });
run("rstrip newline", function() { return rstrip("a\n"); });
run("split runs", function() { return joined(split("a,b,,c", ",")); });
run("split only separators", function() { return joined(split(",,,", ",")); });
run("split empty", function() { return joined(split("", ",")); });
run("split two separators", function() { return joined(split("a b\tc", " \t")); });
run("split none", function() { return joined(split("abc", ",")); });
run("split embedded zero", function() { return joined(split("a\0,b", ",")); });
run("split empty separators", function() { return split("a,b", ""); });

run("len empty", function() { return "".len(); });
run("len embedded zero", function() { return "a\0b".len(); });
local conversions = ["12abc", "0x10", " 42", "-7", "1e3", "3.9", "-3.9", ".5", "abc", ""];
foreach (s in conversions) {
    run("tointeger '" + s + "'", function() : (s) { return s.tointeger(); });
    run("tofloat '" + s + "'", function() : (s) { return s.tofloat(); });
}
run("tostring", function() { return "abc".tostring(); });

run("slice 1 3", function() { return "hello".slice(1, 3); });
run("slice -3", function() { return "hello".slice(-3); });
run("slice 0 -1", function() { return "hello".slice(0, -1); });
run("slice none", function() { return "hello".slice(); });
run("slice at end", function() { return "hello".slice(5); });
run("slice empty", function() { return "".slice(0); });
run("slice reversed", function() { return "hello".slice(3, 2); });
run("slice past end", function() { return "hello".slice(0, 6); });
run("slice start before text", function() { return "hello".slice(-10); });

run("find l", function() { return "hello".find("l"); });
run("find l from 3", function() { return "hello".find("l", 3); });
run("find missing", function() { return "hello".find("z"); });
run("find empty in empty", function() { return "".find(""); });
run("find empty", function() { return "abc".find(""); });
run("find empty from 2", function() { return "abc".find("", 2); });
run("find from length", function() { return "abc".find("a", 3); });
run("find from negative", function() { return "abc".find("a", -1); });

run("tolower", function() { return "MiXeD 123".tolower(); });
run("toupper", function() { return "MiXeD 123".toupper(); });
run("toupper empty", function() { return "".toupper(); });

run("tochar 65", function() { return (65).tochar(); });
run("tochar 321", function() { return (321).tochar(); });
run("float tointeger", function() { return (2.9).tointeger(); });
run("negative float tointeger", function() { return (-2.9).tointeger(); });
run("integer tofloat", function() { return (5).tofloat(); });
run("float tostring", function() { return (1.5).tostring(); });
run("big float tostring", function() { return (1000000.0).tostring(); });
run("integer weakref", function() { return (5).weakref(); });
