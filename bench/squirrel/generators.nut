function gen(n) { for (local i = 0; i < n; i++) yield i }
local s = 0
foreach (v in gen(4000000)) s += v & 1
local th = newthread(function() { for (local i = 0; ; i++) suspend(i & 1) })
s += th.call()
for (local i = 0; i < 100000; i++) s += th.wakeup()
return s
