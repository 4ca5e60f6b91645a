// Exceptions: throw of any value, nested try, rethrow, errors from natives and through natives,
// break/continue/return out of try blocks.
function p(x) { print(x + "\n") }
try { throw "str" } catch (e) { p(e) }
try { throw 42 } catch (e) { p(e + 1) }
try { throw { code = 7 } } catch (e) { p(e.code) }
try { throw null } catch (e) { p(typeof e) }
try {
  try { throw "inner" } catch (e) { throw e + " rethrown" }
} catch (e) {
  p(e)
}
function thrower() { throw "from function" }
try { thrower() } catch (e) { p(e) }
try { [].pop() } catch (e) { p(e) }
try { [2, 1].sort(function(a, b) { throw "from comparator" }) } catch (e) { p(e) }
try { assert(1 == 2) } catch (e) { p(e) }
local s = ""
for (local i = 0; i < 5; i++) {
  try {
    if (i == 1) continue
    if (i == 3) break
    s += i
  } catch (e) {
  }
}
p(s)
function early() {
  try {
    return "returned"
  } catch (e) {
  }
  return "not here"
}
p(early())
try { throw "after loops" } catch (e) { p(e) }
local caught = false
try {
  foreach (v in [1]) {
    try { throw "deep" } catch (e) { throw e + "er" }
  }
} catch (e) {
  p(e)
  caught = true
}
p(caught)
class MyError {
  msg = null
  constructor(m) { msg = m }
}
try { throw MyError("custom") } catch (e) { p(e.msg + " " + (e instanceof MyError)) }
