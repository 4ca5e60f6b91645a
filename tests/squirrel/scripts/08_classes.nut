// Classes: fields, statics, methods, constructors, inheritance with Base.method() calls,
// attributes, metamethods, locking, instanceof.
function p(x) { print(x + "\n") }
class Animal </ kind = "base" /> {
  name = "animal"
  legs = 4
  static count = 0
  tags = []
  </ doc = "says something" />
  function speak() { return name + " makes a sound" }
  constructor(n) {
    name = n
  }
  function describe() { return name + " has " + legs + " legs" }
}
class Bird extends Animal {
  legs = 2
  constructor(n) {
    Animal.constructor(n)
    name = "bird " + name
  }
  function speak() { return Animal.speak() + " (tweet)" }
}
local a = Animal("cat")
local b = Bird("tweety")
p(a.speak())
p(b.speak())
p(b.describe())
p(b instanceof Bird)
p(b instanceof Animal)
p(a instanceof Bird)
p(Bird.parent == Animal)
p(Animal.count)
a.tags.append("shared")
p(b.tags.len())
p(Animal.getattributes(null).kind)
p(Animal.getattributes("speak").doc)
p(Animal.getattributes("legs") == null)
try { a.count = 1 } catch (e) { p(e) }
try { Animal.legs = 1 } catch (e) { p(e) }
try { Animal.newmember <- 1 } catch (e) { p(e) }
try { a.nofield <- 1 } catch (e) { p(e) }
try { delete a.name } catch (e) { p(e) }
try { p(a.missing) } catch (e) { p(e) }
try { p(1 instanceof Animal) } catch (e) { p(e) }
class Late {}
Late.added <- function() { return "added later" }
function Late::other() { return "other" }
p(Late().added() + " " + Late().other())
class NoCtor { v = 1 }
p(NoCtor(1, 2, 3).v)
class Over { x = 1; x = 2 }
p(Over().x)
class Vec {
  x = 0
  y = 0
  constructor(ax, ay) { x = ax; y = ay }
  function _add(o) { return ::Vec(x + o.x, y + o.y) }
  function _sub(o) { return ::Vec(x - o.x, y - o.y) }
  function _mul(k) { return ::Vec(x * k, y * k) }
  function _unm() { return ::Vec(-x, -y) }
  function _tostring() { return "(" + x + "," + y + ")" }
  function _cmp(o) { return x - o.x }
  function _typeof() { return "vec" }
  function _get(k) { return "no " + k }
  function _set(k, v) { ::vecset <- k }
  function _call(self, a) { return "vec called with " + a }
  function _cloned(orig) { x = orig.x + 100 }
}
local v1 = Vec(1, 2)
local v2 = Vec(3, 4)
p("" + (v1 + v2))
p("" + (v2 - v1))
p("" + (v1 * 3))
p("" + (-v1))
p(v1 < v2)
p(v1 > v2)
p(typeof v1)
p(v1.zzz)
v1.qqq = 5
p(::vecset)
p(v1(7))
p("" + clone v1)
try { p(5 + v1) } catch (e) { p(e) }
class Tracker {
  function _inherited(attr) { ::inheritedwith <- attr == null ? "none" : attr.tag }
  function _newmember(name, value, attr) { ::members <- (::members + name + " ") ; rawset(name, value) }
}
::members <- ""
class Child extends Tracker </ tag = "child" /> {
  a = 1
  function b() {}
}
p(::inheritedwith)
p(::members)
p(Child.a)
p(typeof Animal.speak)
local inst = Animal.instance()
p(inst.name)
p(a.getclass() == Animal)
foreach (k, v in Vec) if (k == "x") p("member " + k)
