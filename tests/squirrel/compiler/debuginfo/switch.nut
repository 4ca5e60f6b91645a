// Case bodies are scopes of their own; a block in a function that ends without a return.
function pick(v) {
  local out = null
  switch (v) {
    case 1:
      local one = "one"
      out = one
      break
    case 2:
    case 3:
      local few = "few"
      out = few
      break
    default:
      local many = "many"
      out = many
  }
  {
    local tail = out
    out = tail
  }
  return out
}
local words = [pick(1), pick(3), pick(9)]
