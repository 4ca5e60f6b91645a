local total = 0
local buf = ""
for i = 0, 400000 - 1 do
    local line = "item " .. i .. ": " .. string.format("%5d|%s|%.2f", i % 1000, "x", i * 0.5)
    total = total + #line
    buf = buf .. string.sub(line, 1, 4)
    if #buf > 2000 then
        total = total + #buf
        buf = ""
    end
end
print(total)
