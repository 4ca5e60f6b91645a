// Locals in the scopes of loops: for, while, do-while, and a block-less body.
local total = 0
for (local i = 0; i < 3; i++) {
  local sq = i * i
  total += sq
}
while (total > 10) {
  local half = total / 2
  total = half
}
do {
  local step = 1
  total -= step
} while (total > 0)
if (total) {
  local inner = 1
} else {
  local other = 2
  total = other
}
local last = total
