local s = 0
for (local i = 0; i < 12000000; i++) s = (s + i % 7) % 1000003
local f = 0.0
for (local i = 0; i < 4000000; i++) f += 0.5
return s + f.tointeger()
