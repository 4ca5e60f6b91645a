// Tables: slots, new slot vs set, delete, `in`, delegates, metamethods, root fallback, clone.
function p(x) { print(x + "\n") }
local t = { a = 1 }
t.b <- 2
t["c"] <- 3
t.a = 10
p(t.a + t.b + t.c)
try { t.zz = 1 } catch (e) { p(e) }
try { p(t.zz) } catch (e) { p(e) }
try { t[null] <- 1 } catch (e) { p(e) }
p(delete t.b)
p("b" in t)
p("a" in t)
try { delete t.b } catch (e) { p(e) }
p(t.len())
local keys = {}
keys[1] <- "int"
keys[1.0] <- "float"
p(keys[1] + " " + keys[1.0])
local proto = { greet = function() { return "hi " + name }, shared = 0 }
local obj = delegate proto : { name = "obj" }
p(obj.greet())
obj.shared = 5
p(proto.shared)
p(obj.rawin("shared"))
p("shared" in obj)
p(obj.parent == proto)
local meta = {
  _get = function(k) { return "got " + k }
  _set = function(k, v) { ::lastset <- k + "=" + v }
  _newslot = function(k, v) { ::lastnew <- k }
  _delslot = function(k) { return "deleted " + k }
  _add = function(o) { return "added " + o }
  _call = function(self, x) { return "called " + x }
  _tostring = function() { return "META" }
  _typeof = function() { return "mytype" }
}
local m = delegate meta : {}
p(m.missing)
m.x = 1
p(::lastset)
m.y <- 2
p(::lastnew)
p("y" in m)
p(delete m.q)
p(m + 1)
p(m(5))
p(typeof m)
p("" + m)
local sub = delegate { _add = function(o) { return "deep" } } : {}
local subsub = delegate sub : {}
try { p(subsub + 1) } catch (e) { p(e) }
local throwing = delegate { _get = function(k) { throw "inner" } } : {}
try { p(throwing.zz) } catch (e) { p(e) }
gx <- 1
function setglobal() { gx = 2 }
setglobal()
p(gx)
function setmissing() { nosuch = 1 }
try { setmissing() } catch (e) { p(e) }
function newslotlocal() { made <- 3 }
newslotlocal()
p(made)
::rootmade <- 4
p(::rootmade)
local c = clone t
c.a = 99
p(t.a + " " + c.a)
try { delegate 1 : {} } catch (e) { p(e) }
try { delegate {} : 1 } catch (e) { p(e) }
local d1 = {}
local d2 = delegate d1 : {}
try { delegate d2 : d1 } catch (e) { p(e) }
try { p([].parent) } catch (e) { p(e) }
t.clear()
p(t.len())
