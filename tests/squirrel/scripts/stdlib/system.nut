// system library: UTC dates at known instants, clock/time types, environment and file errors.
function run(label, f) {
    local r;
    try {
        r = f();
        r = r == null ? "null" : typeof r + " " + r;
    } catch (e) {
        r = "error: " + e;
    }
    print(label + " => " + r + "\n");
}

function describe(d) {
    return d.year + "-" + d.month + "-" + d.day + " " + d.hour + ":" + d.min + ":" + d.sec +
        " wday " + d.wday + " yday " + d.yday;
}

local instants = [0, 31536000, 951782400, -1, 2147483647];
foreach (t in instants) run("date " + t, function() : (t) { return describe(date(t, 'u')); });
run("date 2.9 seconds", function() { return date(2.9, 'u').sec; });
run("time", function() { return typeof time(); });
run("clock", function() { return typeof clock(); });
run("date now", function() { return typeof date().year; });
run("getenv unset", function() { return getenv("SQSTDLIB_SURELY_UNSET_VARIABLE"); });
run("getenv PATH", function() { return typeof getenv("PATH"); });
run("system exit 0", function() { return system("exit 0"); });
run("system exit 3", function() { return system("exit 3"); });
run("remove missing", function() { return remove("no/such/dir/file"); });
run("rename missing", function() { return rename("no/such/dir/file", "no/such/dir/other"); });
run("date with string", function() { return date("x"); });
