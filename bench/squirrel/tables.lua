local t = {}
for i = 0, 300000 - 1 do t["k" .. i] = i end
local sum = 0
for k, v in pairs(t) do sum = (sum + v) % 1000003 end
local a = {}
for i = 1, 1000 do a[i] = 0 end
for i = 0, 8000000 - 1 do
    local j = i % 1000 + 1
    a[j] = a[j] + 1
end
print(sum + a[8])
