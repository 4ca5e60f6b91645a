local keys = []
for (local i = 0; i < 800000; i++) keys.append("k" + i)
local total = 0
foreach (k in keys) total += k.len()
return total
