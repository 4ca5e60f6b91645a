local x = 1
function f(a) {
  local b = a + 1
  return b.foo
}
f(x)
