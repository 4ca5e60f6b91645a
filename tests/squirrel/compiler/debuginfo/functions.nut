// Nested functions: parameters, defaults, outer values, a function in a function, a generator,
// class methods and an anonymous function with a one-statement body.
local base = 10
function add(x, y = 2) : (base) {
  local s = x + y + base
  function twice(v) {
    local d = v * 2
    return d
  }
  return twice(s)
}
function gen(n) {
  for (local i = 0; i < n; i++) {
    local sq = i * i
    yield sq
  }
}
class Counter {
  count = 0
  function bump(by) {
    local next = count + by
    count = next
    return this
  }
  constructor(start) { local c = start; count = c }
}
local anon = function(a) return a * 2
local r = add(1)
foreach (g in gen(3)) r += g
