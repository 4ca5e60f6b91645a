// array.sort with and without a comparison function, and the other array members.
function str(a) {
    local s = "";
    foreach (i, x in a) s += (i > 0 ? " " : "") + x;
    return "(" + s + ")";
}

function run(label, f) {
    local r;
    try {
        r = f();
        if (typeof r == "array") r = str(r);
        else if (r == null) r = "null";
    } catch (e) {
        r = "error: " + e;
    }
    print(label + " => " + r + "\n");
}

function sorted(a, ...) {
    if (vargc > 0) a.sort(vargv[0]);
    else a.sort();
    return a;
}

run("ints", function() { return sorted([3, 1, 2]); });
run("mixed numbers", function() { return sorted([2.5, 1, 3, -1.5]); });
run("strings", function() { return str(sorted(["pear", "apple", "fig", "b"])); });
run("empty", function() { return sorted([]); });
run("single", function() { return sorted([5]); });
run("with null first", function() { return sorted([3, null, 1]).slice(1); });
run("null goes first", function() { return sorted([3, null, 1])[0] == null; });
run("wrapping difference", function() { return sorted([-2, 2147483647]); });
run("incomparable", function() { return sorted([1, "a"]); });
run("descending", function() {
    return sorted([3, 1, 4, 1, 5], function(a, b) { return b - a; });
});
run("float result counts as equal", function() {
    return sorted([3, 1, 2], function(a, b) { return 0.5; });
});
local calls = [0];
local records = [{n = "a", k = 2}, {n = "b", k = 1}, {n = "c", k = 2}, {n = "d", k = 1}];
records.sort(function(x, y) : (calls) { calls[0]++; return x.k - y.k; });
local names = "";
foreach (r in records) names += r.n;
print("records by key => " + names + " after " + calls[0] + " comparisons\n");
run("comparator throws string", function() {
    return sorted([2, 1], function(a, b) { throw "boom"; });
});
run("comparator throws table", function() {
    return sorted([2, 1], function(a, b) { throw {}; });
});
run("inconsistent comparator", function() {
    return sorted([1, 2, 3], function(a, b) { return 1; });
});

local a = [1, 2, 3];
run("append", function() : (a) { return a.append(4); });
run("push", function() : (a) { a.push(5); return a; });
run("extend", function() : (a) { a.extend([6, 7]); return a; });
run("pop", function() : (a) { return a.pop(); });
run("top", function() : (a) { return a.top(); });
run("insert front", function() : (a) { a.insert(0, 0); return a; });
run("insert at end", function() : (a) { a.insert(7, 9); return a; });
run("insert past end", function() : (a) { return a.insert(9, 1); });
run("remove", function() : (a) { return a.remove(0); });
run("remove out of range", function() : (a) { return a.remove(100); });
run("after remove", function() : (a) { return a; });
run("resize down", function() : (a) { a.resize(3); return a; });
run("resize up with fill", function() : (a) { a.resize(5, "x"); return a; });
run("reverse", function() : (a) { a.reverse(); return a; });
run("slice 1 3", function() : (a) { return a.slice(1, 3); });
run("slice -2", function() : (a) { return a.slice(-2); });
run("slice copy", function() : (a) { return a.slice(); });
run("slice reversed", function() : (a) { return a.slice(3, 2); });
run("slice past end", function() : (a) { return a.slice(0, 10); });
run("len", function() : (a) { return a.len(); });
run("clear", function() : (a) { a.clear(); return a.len(); });
run("pop empty", function() { return [].pop(); });
run("top empty", function() { return [].top(); });
run("array with fill", function() { return array(3, 7); });
run("array length", function() { return array(2).len(); });
run("array float length", function() { return array(2.9).len(); });
run("array negative", function() { return array(-1); });
