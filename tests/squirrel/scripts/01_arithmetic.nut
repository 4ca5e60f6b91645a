// Integer and float arithmetic, wraparound, concatenation, bitwise operators, compound forms.
function p(x) { print(x + "\n") }
p(7 / 2)
p(-7 / 2)
p(7 % 3)
p(-7 % 3)
p(7 % -3)
p(7 / 2.0)
p(2147483647 + 1)
p(1 + 2 * 3 - 4)
p((1 + 2) * 3)
p(10 - 2 - 3)
p(2 * 3 % 4)
p("a" + 1)
p(1 + "a")
p("x" + 1.5)
p("v" + true)
p(1.5 + 1)
p(1.0 / 3)
p(1000000.0)
p(typeof (7 / 2))
p(typeof (7 / 2.0))
p(1 << 4)
p(-16 >> 2)
p(-16 >>> 28)
p(6 & 3)
p(6 | 3)
p(6 ^ 3)
p(~5)
p(1 << 32)
p(0x7fffffff)
p(0xFF)
p(017)
p(08)
p('a')
p('\xff')
p(4294967296)
p(2147483648)
p(3000000000)
p(-(-5))
try { p(1 / 0) } catch (e) { p(e) }
try { p(1 % 0) } catch (e) { p(e) }
try { p(null + 1) } catch (e) { p(e) }
try { p({} - 1) } catch (e) { p(e) }
try { p(1.5 & 1) } catch (e) { p(e) }
try { p(~1.5) } catch (e) { p(e) }
try { p(-"s") } catch (e) { p(e) }
try { p(typeof 4.0 / 2) } catch (e) { p(e) }
local i = 5
i += 3
p(i)
i -= 1
p(i)
i *= 2
p(i)
i /= 4
p(i)
i %= 2
p(i)
p(i++)
p(i)
p(++i)
p(i--)
p(--i)
local t = { s = "ab", n = 1 }
t.s++
p(t.s)
t.s--
p(t.s)
t.n += 10
p(t.n)
p(t.n++ + 100)
p(++t.n)
