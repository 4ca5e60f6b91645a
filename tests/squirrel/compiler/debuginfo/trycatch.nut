// try/catch: locals in both bodies, a nested try, an empty catch, a try inside a loop.
local r = 0
try {
  local a = 1
  throw a
} catch (e) {
  local msg = e
  r = msg
}
try {
  try { r += 1 } catch (inner) { throw inner }
} catch (outer) {}
for (local n = 0; n < 2; n++) {
  try { if (n) break } catch (e2) { local z = e2 }
}
