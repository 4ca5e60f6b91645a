// Constants are substituted at compile time and are not part of bytecode: a precompiled
// script still sees the value but finds the constant table empty.
const NAME = "const"
print(NAME + "\n")
print(("NAME" in getconsttable()) + "\n")
