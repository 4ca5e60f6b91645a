// Every path that copies a table or class member table or replaces a slot, one row each:
// inheritance (statement and expression, with and without constructors, class held in a
// local), new slots over existing keys, rawset, sets through delegates, clone, and tables big
// enough to rehash while being copied.
class Animal { function speak() { return "..." } function legs() { return 4 } }
class Built { n = 0; constructor(x) { n = x } function get() { return n } }
class Varargs { s = ""; constructor(a, ...) { s = a + vargc } function get() { return s } }
class NativeCtor { function get() { return "native" } }
NativeCtor.constructor <- ::getroottable

function keysOf(t) {
  local a = []
  foreach (k, v in t) a.append(k + "=" + v)
  a.sort()
  local s = ""
  foreach (x in a) s += x + " "
  return s
}

// Twelve keys: the copy rehashes while it fills.
function bigTable(tag) {
  local t = {}
  foreach (i, k in ["a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l"]) t[k] <- tag + i
  return t
}

local cases = [
  ["expression overrides a method", function() {
    local C = class extends Animal { function speak() { return "anon" } }
    return C().speak() + " " + C().legs()
  }],
  ["statement overrides a method", function() {
    class ::Dog extends Animal { function speak() { return "woof" } }
    return ::Dog().speak() + " " + Animal().speak()
  }],
  ["expression adds a method", function() {
    local C = class extends Animal { function tail() { return "tail" } }
    return C().speak() + " " + C().tail()
  }],
  ["class in a local, script constructor", function() {
    local C = class extends Built { function get() { return "got " + n } }
    local c = C(7)
    return typeof c + " " + c.get()
  }],
  ["class in a local, native constructor", function() {
    local C = ::NativeCtor
    local c = C()
    return typeof c + " " + c.get()
  }],
  ["class in a local, returned by a tail call", function() {
    local make = function(x) { local C = Built; return C(x) }
    local many = function() { local C = Varargs; return C("a", 1, 2) }
    return make(4).get() + " " + many().get()
  }],
  ["class in a local, instance passed on at once", function() {
    local C = Built
    local seen = []
    for (local i = 0; i < 3; i++) seen.append(C(i))
    return C(C(3).get() + 1).get() + " " + seen[0].get() + seen[2].get()
  }],
  ["class in a local, constructor calls the base constructor", function() {
    local D = class extends Built { constructor(x) { Built.constructor(x * 10) } }
    local d = D(2)
    return d.get() + " " + (d instanceof Built)
  }],
  ["class as an outer value", function() {
    local C = Built
    local f = function() : (C) { return C(9).get() }
    return f()
  }],
  ["constructor result dropped, call as statement", function() {
    local C = Built
    C(1)
    local d = C(2), e = C(3)
    return d.get() + e.get()
  }],
  ["derived class does not see later base members", function() {
    local B = class { function a() { return "a" } }
    local D = class extends B {}
    B.b <- function() { return "b" }
    return ("b" in D) + " " + ("b" in B) + " " + D().a()
  }],
  ["new slot over an existing class member", function() {
    local C = class { x = 1; function f() { return "f1" } }
    C.f <- function() { return "f2" }
    C.x <- 5
    C.y <- 6
    local c = C()
    return c.f() + " " + c.x + " " + c.y
  }],
  ["overriding base members in a big class", function() {
    local B = class {
      constructor() {}
      function m0() { return "b0" } function m1() { return "b1" } function m2() { return "b2" }
      function m3() { return "b3" } function m4() { return "b4" } function m5() { return "b5" }
    }
    local D = class extends B {
      function m1() { return "d1" } function m3() { return "d3" } function n0() { return "d-n0" }
      function n1() { return "d-n1" } function n2() { return "d-n2" } function m5() { return "d5" }
      field = 1
    }
    local d = D()
    return d.m0() + d.m1() + d.m2() + d.m3() + d.m4() + d.m5() + d.n0() + d.n1() + d.n2() + d.field
  }],
  ["new slot over an existing table key", function() {
    local t = { a = 1, b = 2 }
    t.a <- 10
    t.c <- 3
    return keysOf(t)
  }],
  ["rawset over existing and new keys", function() {
    local t = { a = 1 }
    local r = t.rawset("a", 2)
    t.rawset("z", 26)
    return keysOf(t) + (r == null)
  }],
  ["set writes into the delegate's slot", function() {
    local d = { shared = 1 }
    local t = delegate d : { own = 2 }
    t.shared = 5
    t.own = 6
    return keysOf(t) + "| " + keysOf(d)
  }],
  ["new slot beside a delegate's key", function() {
    local d = { k = "delegate" }
    local t = delegate d : {}
    t.k <- "own"
    return t.k + " " + d.k + " " + t.rawin("k")
  }],
  ["clone copies slots and keeps the delegate", function() {
    local d = { from = "d" }
    local t = delegate d : { a = 1, b = 2 }
    local u = clone t
    u.a = 100
    u.c <- 3
    return keysOf(t) + "| " + keysOf(u) + u.from
  }],
  ["clone of a big table, then overwrite and grow", function() {
    local t = bigTable("t")
    local u = clone t
    foreach (k in ["b", "e", "h", "l"]) u[k] <- "u"
    foreach (k in ["m", "n", "o", "p", "q"]) u[k] <- "new"
    local missing = 0
    foreach (k, v in t) if (!(k in u)) missing++
    return u.len() + " " + t.len() + " " + missing + " " + u.e + u.a + t.e
  }],
  ["slots removed, then added again", function() {
    local t = bigTable("t")
    foreach (k in ["a", "c", "e", "g", "i", "k"]) delete t[k]
    foreach (k in ["c", "e", "x"]) t[k] <- "again"
    return keysOf(t)
  }],
  ["clone of an instance", function() {
    local C = class { v = 1; function get() { return v } }
    local a = C()
    local b = clone a
    b.v = 2
    return a.get() + " " + b.get() + " " + (b instanceof C)
  }],
]

// A failing row prints its error and the table goes on.
foreach (row in cases) {
  local result
  try { result = row[1]() } catch (e) { result = "error: " + e }
  print(row[0] + ": " + result + "\n")
}
