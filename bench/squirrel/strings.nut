local total = 0
local buf = ""
for (local i = 0; i < 400000; i++) {
    local line = "item " + i + ": " + format("%5d|%s|%.2f", i % 1000, "x", i * 0.5)
    total += line.len()
    buf += line.slice(0, 4)
    if (buf.len() > 2000) {
        total += buf.len()
        buf = ""
    }
}
return total
