// if/else, while, do-while, for, break/continue, switch (fall-through, default, local labels).
function p(x) { print(x + "\n") }
local x = 3
if (x > 2) p("big")
else p("small")
if (x < 2) p("small")
else if (x == 3) p("three")
else p("other")
if (x) { p("block") }
local n = 0
while (n < 3) n++
p(n)
do {
  n--
} while (n > 0)
p(n)
do {
  n += 5
} while (n < 12)
p(n)
local s = ""
for (local i = 0; i < 10; i++) {
  if (i == 2) continue
  if (i == 5) break
  s += i
}
p(s)
s = ""
for (local i = 0, j = 10; i < j; i += 3, j -= 1) s += i + ":" + j + " "
p(s)
local k = 0
for (;;) {
  if (++k > 4) break
}
p(k)
s = ""
for (local i = 0; i < 3; i++) {
  for (local j = 0; j < 3; j++) {
    if (j == 1) continue
    if (i == 2) break
    s += i + "" + j + ","
  }
}
p(s)
function sw(v) {
  local out = ""
  switch (v) {
    case 1:
      out += "one "
    case 2:
      out += "two "
      break
    case "s":
      out += "string "
      break
    default:
      out += "default "
  }
  return out
}
p(sw(1))
p(sw(2))
p(sw(2.0))
p(sw("s"))
p(sw(7))
local lbl = 5
switch (5) {
  case lbl:
    p("matched")
}
p(lbl)
s = ""
for (local i = 0; i < 4; i++) {
  switch (i) {
    case 1:
      continue
    case 2:
      s += "two"
      break
    default:
      s += i
  }
  s += ";"
}
p(s)
switch (x) {
  case 1: p("no")
}
p("after")
