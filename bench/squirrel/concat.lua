local keys = {}
for i = 0, 800000 - 1 do keys[#keys + 1] = "k" .. i end
local total = 0
for _, k in ipairs(keys) do total = total + #k end
print(total)
