local total = 0
for (local round = 0; round < 3; round++) {
    local s = ""
    for (local i = 0; i < 40000; i++) s += "x"
    total += s.len()
}
return total
