local Point = {}
Point.__index = Point
function Point.new(a, b) return setmetatable({x = a, y = b}, Point) end
function Point:len2() return self.x * self.x + self.y * self.y end
local total = 0
for i = 0, 1200000 - 1 do
    local p = Point.new(i % 10, 3)
    total = total + p:len2() + p.x
end
print(total)
