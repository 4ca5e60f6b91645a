// Functions: default parameters, varargs, outer values, recursion, tail calls, `this`, calls.
function p(x) { print(x + "\n") }
function add(a, b = 10, c = 100) { return a + b + c }
p(add(1))
p(add(1, 2))
p(add(1, 2, 3))
try { add() } catch (e) { p(e) }
try { add(1, 2, 3, 4) } catch (e) { p(e) }
function remember(t = {}) {
  t.n <- ("n" in t) ? t.n + 1 : 1
  return t.n
}
p(remember())
p(remember())
function va(first, ...) {
  local s = first + ":" + vargc
  for (local i = 0; i < vargc; i++) s += "," + vargv[i]
  return s
}
p(va(1))
p(va(1, 2, 3))
function noargs(...) { return vargv[0] }
try { noargs() } catch (e) { p(e) }
function vidx(...) { return vargv[5] }
try { vidx(1) } catch (e) { p(e) }
local base = 5
local adder = function(x) : (base) { return x + base }
base = 100
p(adder(1))
function counter() {
  local box = [0]
  return function() : (box) {
    box[0]++
    return box[0]
  }
}
local c1 = counter()
c1()
p(c1())
local outer = 1
local bump = function() : (outer) {
  outer++
  return outer
}
p(bump())
p(bump())
p(outer)
g1 <- "global"
local seeglobal = function() { return g1 }
p(seeglobal())
local hidden = "local"
local nocapture = function() { return hidden }
try { nocapture() } catch (e) { p(e) }
function fib(n) { return n < 2 ? n : fib(n - 1) + fib(n - 2) }
p(fib(20))
function tail(n, acc) {
  if (n == 0) return acc
  return tail(n - 1, acc + 1)
}
p(tail(20000, 0))
function deep(n) { return n == 0 ? 0 : 1 + deep(n - 1) }
p(deep(5000))
p(add(1 2 3))
local obj = { v = 7, get = function() { return v } }
p(obj.get())
local getter = obj.get
try { getter() } catch (e) { p(e) }
p(getter.call(obj))
p(getter.acall([obj]))
local envt = { v = 8 }
local bound = getter.bindenv(envt)
p(bound())
tbl <- { inner = {} }
function tbl::inner::hello(n) { return "hello " + n }
p(tbl.inner.hello(1))
local anon = function(x) return x * 2
p(anon(21))
p((function() { return "iife" })())
try { local notfn = 3
  notfn()
} catch (e) { p(e) }
p(typeof add)
