// math library: results, result types and the edges of each function.
function run(label, f) {
    local r;
    try {
        r = f();
        r = typeof r + " " + r;
    } catch (e) {
        r = "error: " + e;
    }
    print(label + " => " + r + "\n");
}

run("sqrt(4)", function() { return sqrt(4); });
run("sqrt(2)", function() { return sqrt(2); });
run("sqrt(0)", function() { return sqrt(0); });
run("sqrt(-1)", function() { return sqrt(-1); });
run("sin(0)", function() { return sin(0); });
run("cos(0)", function() { return cos(0); });
run("tan(0)", function() { return tan(0); });
run("asin(1)", function() { return asin(1); });
run("acos(1)", function() { return acos(1); });
run("atan(1) * 4", function() { return atan(1) * 4; });
run("atan2(1, 1)", function() { return atan2(1, 1); });
run("atan2(0, -1)", function() { return atan2(0, -1); });
run("log(1)", function() { return log(1); });
run("log(0)", function() { return log(0); });
run("log10(1000)", function() { return log10(1000); });
run("exp(0)", function() { return exp(0); });
run("exp(1)", function() { return exp(1); });
run("exp(100)", function() { return exp(100); });
run("pow(2, 10)", function() { return pow(2, 10); });
run("pow(0, 0)", function() { return pow(0, 0); });
run("pow(2, -1)", function() { return pow(2, -1); });
run("pow(2, 0.5)", function() { return pow(2, 0.5); });
run("floor(-2.5)", function() { return floor(-2.5); });
run("ceil(-2.5)", function() { return ceil(-2.5); });
run("floor(2)", function() { return floor(2); });
run("fabs(-3)", function() { return fabs(-3); });
run("abs(-2.9)", function() { return abs(-2.9); });
run("abs(5)", function() { return abs(5); });
run("abs(minimum)", function() { return abs(-2147483647 - 1); });
run("PI", function() { return PI; });
run("PI digits", function() { return format("%.7f", PI); });
run("RAND_MAX", function() { return RAND_MAX; });
run("rand in range", function() { srand(7); local r = rand(); return r >= 0 && r <= RAND_MAX; });
run("srand repeats", function() { srand(1); local a = rand(); srand(1); return a == rand(); });
run("sqrt of string", function() { return sqrt("x"); });
run("sqrt without argument", function() { return sqrt(); });
run("pow with one argument", function() { return pow(2); });
