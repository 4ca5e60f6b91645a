// Remaining metamethods on instances, weak references in containers, cycle collection,
// try/catch across yield in a foreach-driven generator (the reference loses that catch unless
// the caller has a try of its own; we follow the recommended behaviour: the catch always works).
function p(x) { print(x + "\n") }
class Num {
  v = 0
  constructor(x) { v = x }
  function _div(o) { return "div " + v + "/" + o }
  function _modulo(o) { return "mod " + v + "%" + o }
  function _newslot(k, val) { ::slotted <- k + "<-" + val }
  function _delslot(k) { return "instance delete " + k }
}
local n = Num(9)
p(n / 2)
p(n % 4)
n.extra <- 5
p(::slotted)
p(delete n.extra)
local keep = { name = "kept" }
local list = [keep.weakref(), { name = "temp" }.weakref()]
p(list[0].name)
p(list[1] == null)
local a = {}
local b = { other = a }
a.other <- b
local watcher = a.weakref()
a = null
b = null
p(watcher.ref() != null)
p(collectgarbage() >= 2)
p(watcher.ref() == null)
function guarded() {
  try {
    yield 1
    throw "oops"
  } catch (e) {
    yield "caught " + e
  }
}
foreach (v in guarded()) p(v)
