// foreach over an array and a table, nested, with and without a key and a block.
local sum = 0
local t = { a = 1, b = 2 }
foreach (k, v in t) {
  local both = k + v
  foreach (c in both) sum += c
}
foreach (x in [1, 2]) sum += x
foreach (i, x in t) {
  if (x == 2) break
  local seen = i
  continue
}
