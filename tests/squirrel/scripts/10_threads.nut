// Threads: call, suspend with values, wakeup with values, status, errors.
function p(x) { print(x + "\n") }
function worker(a, b) {
  p("worker got " + a + " " + b)
  local x = suspend("first")
  p("woken with " + x)
  local y = suspend("second")
  p("woken again with " + typeof y)
  return "finished"
}
local th = newthread(worker)
p(typeof th)
p(th.getstatus())
p(th.call(1, 2))
p(th.getstatus())
p(th.wakeup("hello"))
p(th.wakeup())
p(th.getstatus())
try { th.wakeup(1) } catch (e) { p(e) }
function noarg() {
  local r = suspend()
  return r
}
local t2 = newthread(noarg)
p(t2.call() == getroottable())
p(t2.wakeup(5))
