// String literals, escapes, verbatim strings, indexing and a few default-delegate methods.
function p(x) { print(x + "\n") }
p("tab[\t]")
p("a\0b".len())
p("\x41424")
p(@"verbatim ""quoted"" \n")
p(@"two
lines")
p("abc"[1])
p("\xff"[0])
p("hello".len())
p("hello".slice(1, 3))
p("hello".find("ll"))
p("Hello".toupper())
p("Hello".tolower())
p("42".tointeger() + 1)
p("2.5".tofloat() * 2)
p((65).tochar())
p((12).tostring() + "!")
p("\"q\" \\ \'s\'")
local s = ""
for (local i = 0; i < 5; i++) s += i
p(s)
try { p("abc"[5]) } catch (e) { p(e) }
