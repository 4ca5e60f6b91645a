local function gen(n)
    return coroutine.wrap(function() for i = 0, n - 1 do coroutine.yield(i) end end)
end
local s = 0
for v in gen(4000000) do s = s + (v & 1) end
local th = coroutine.wrap(function() local i = 0 while true do coroutine.yield(i & 1) i = i + 1 end end)
s = s + th()
for i = 0, 100000 - 1 do s = s + th() end
print(s)
