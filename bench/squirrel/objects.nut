class Point {
    x = 0
    y = 0
    constructor(a, b) { x = a; y = b }
    function len2() { return x * x + y * y }
}
local total = 0
for (local i = 0; i < 1200000; i++) {
    local p = Point(i % 10, 3)
    total += p.len2() + p.x
}
return total
