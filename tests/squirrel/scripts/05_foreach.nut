// foreach over every iterable type, hidden index, live arrays, and the error for the rest.
function p(x) { print(x + "\n") }
foreach (i, v in ["a", "b", "c"]) p(i + "=" + v)
foreach (v in [10, 20]) p(v)
foreach (k, v in {a = 1, b = 2, c = 3, d = 4}) p(k + "=" + v)
local ints = {}
ints[3] <- "three"
ints[1] <- "one"
ints[0] <- "zero"
ints[2] <- "two"
foreach (k, v in ints) p(k + "=" + v)
foreach (i, c in "hi") p(i + ":" + c)
class C {
  x = 5
}
foreach (k, v in C) p(k + "->" + v)
local grow = [1, 2]
foreach (v in grow) {
  if (v < 3) grow.append(v + 2)
  p("grow " + v)
}
local shrink = [1, 2, 3, 4]
foreach (v in shrink) {
  shrink.pop()
  p("shrink " + v)
}
class Range {
  n = 0
  constructor(count) { n = count }
  function _nexti(prev) {
    if (prev == null) return n > 0 ? 0 : null
    return prev + 1 < n ? prev + 1 : null
  }
  function _get(idx) { return idx * idx }
}
foreach (k, v in Range(3)) p("range " + k + " " + v)
function gen() {
  yield "x"
  yield "y"
  return "never seen"
}
foreach (i, v in gen()) p("gen " + i + " " + v)
try {
  foreach (v in 5) p(v)
} catch (e) {
  p(e)
}
class NoNext {}
try {
  foreach (v in NoNext()) p(v)
} catch (e) {
  p(e)
}
local last = null
foreach (v in [7, 8, 9]) last = v
p(last)
