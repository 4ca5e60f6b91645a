// Generators: yield/resume, status, end of generator, errors, generators with arguments.
function p(x) { print(x + "\n") }
function count(n) {
  for (local i = 0; i < n; i++) yield i
  return "done"
}
local g = count(2)
p(typeof g)
p(g.getstatus())
p(resume g)
p(resume g)
p(resume g)
p(g.getstatus())
try { resume g } catch (e) { p(e) }
try { resume 5 } catch (e) { p(e) }
function bare() {
  yield
  yield 1
}
local b = bare()
p(typeof (resume b))
p(resume b)
function selfresume() {
  yield resume ::selfgen
}
::selfgen <- selfresume()
try { resume ::selfgen } catch (e) { p(e) }
function fails() {
  yield 1
  throw "gen error"
}
local f = fails()
p(resume f)
try { resume f } catch (e) { p(e) }
p(f.getstatus())
function withtry() {
  try {
    yield "in try"
    throw "caught inside"
  } catch (e) {
    yield e
  }
}
local w = withtry()
p(resume w)
p(resume w)
function varg(...) {
  yield vargc
  yield vargv[1]
}
local vg = varg("a", "b")
p(resume vg)
p(resume vg)
try { g() } catch (e) { p(e) }
local sum = 0
foreach (v in count(5)) sum += v
p(sum)
