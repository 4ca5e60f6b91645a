local a = 1
local b = = 2
