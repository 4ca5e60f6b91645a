// A run-time error reported through the standard error handler: call stack and locals.
function inner(a, b) {
    local msg = "about to fail";
    local f = 1.5;
    local flag = true;
    local nothing = null;
    local arr = [1];
    return a.nosuchmember;
}

function outer(x) {
    local y = x * 2;
    local r = inner(y, "two");
    return r;
}

local thrower = function(n) {
    throw n;
}
try {
    thrower.call(this, 42);
} catch (e) {
    print("caught " + e + "\n");
}
outer(5);
