local s = 0
for i = 0, 12000000 - 1 do s = (s + i % 7) % 1000003 end
local f = 0.0
for i = 0, 4000000 - 1 do f = f + 0.5 end
print(s + math.floor(f))
