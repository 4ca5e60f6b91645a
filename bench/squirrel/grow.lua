local total = 0
for round = 0, 2 do
    local s = ""
    for i = 0, 40000 - 1 do s = s .. "x" end
    total = total + #s
end
print(total)
