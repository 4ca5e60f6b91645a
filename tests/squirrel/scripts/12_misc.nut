// Constants and enums, arrays, `in`, clone, weak references, comma expressions, root access.
function p(x) { print(x + "\n") }
const ANSWER = 42
const NEG = -3
const NAME = "const"
const HALF = 0.5
enum Color { Red, Green = 10, Blue, Label = "lbl", Minus = -1, Last }
p(ANSWER + NEG)
p(NAME + HALF)
p(Color.Red + " " + Color.Green + " " + Color.Blue + " " + Color.Label + " " + Color.Minus + " " + Color.Last)
local ANSWER = "shadowed"
p(ANSWER)
const ANSWER2 = 1
const ANSWER2 = 2
p(ANSWER2)
local arr = [1, 2 3,]
p(arr.len())
arr.append(4)
arr.push(5)
p(arr.top())
p(arr.pop())
arr.insert(0, 0)
arr.remove(1)
p(arr[0] + " " + arr[1] + " " + arr.len())
p(1 in arr)
p(10 in arr)
p(0 in "a")
try { p(arr[10]) } catch (e) { p(e) }
local copy = clone arr
copy[0] = "changed"
p(arr[0])
try { clone 5 } catch (e) { p(e) }
local target = { v = 1 }
local weak = target.weakref()
p(typeof weak)
p(weak.ref().v)
local holder = { w = weak }
p(holder.w.v)
target = null
p(weak.ref() == null)
p(holder.w == null)
local a = (1, 2, 3)
p(a)
local r = ::ANSWERROOT <- 7
p(r + ::ANSWERROOT)
p(typeof ::print)
local nested = { a = { b = { c = "deep" } } }
p(nested.a.b.c)
p(nested["a"]["b"]["c"])
local ar2 = [[1, 2], [3, 4]]
p(ar2[1][0])
local x = 1, y = 2
p(x + y)
local tv = null
p(tv == null ? "was null" : "not null")
local m = [0]
m[0] += 5
p(m[0])
p(m[0]++)
p(m[0])
local big = array(3, "z")
p(big.len() + big[2])
