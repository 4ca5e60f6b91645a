// Concatenation makes the same string as any other way of building those bytes (slices, format),
// so table keys find each other, at every length; numbers, bools and null on either side.
local long = ""
for (local i = 0; i < 5000; i++) long += (i % 10)
local keys = {}
foreach (n in [0, 1, 7, 8, 9, 16, 17, 128, 129, 240, 241, 1000, 5000]) keys[long.slice(0, n)] <- n
local built = ""
local found = 0
for (local i = 0; i <= 5000; i++) {
  if (built in keys) found++
  if (i < 5000) built += (i % 10)
}
print("keys found by concatenation: " + found + " of " + keys.len() + "\n")
print(keys[format("%s", long.slice(0, 1000))] + " " + (long.slice(3, 9) == "345" + "678") + "\n")

local rows = [
  ["k", 0], ["k", -1], ["k", 2147483647], ["k", -2147483647 - 1], [12, "x"], ["", 1.5],
  [0.1, ""], ["f", -0.0], [true, "!"], ["", false], ["n", null], [null, ""]
]
foreach (r in rows) print(r[0] + r[1] + "|")
print("\n")
local s = "a"
s += 1
s += 2.25
s += true
print(s + " " + (s == "a12.25true") + "\n")
