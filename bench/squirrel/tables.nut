local t = {}
for (local i = 0; i < 300000; i++) t["k" + i] <- i
local sum = 0
foreach (k, v in t) sum = (sum + v) % 1000003
local a = array(1000, 0)
for (local i = 0; i < 8000000; i++) {
    local j = i % 1000
    a[j] = a[j] + 1
}
return sum + a[7]
