// regexp: searches, captures, whole-text matches and compiler errors.
function range(r) {
    return r == null ? "null" : "[" + r.begin + "," + r.end + ")";
}

function ranges(a) {
    if (a == null) return "null";
    local s = "";
    foreach (r in a) s += range(r);
    return s;
}

local searches = [
    ["a.*b", "axbyb"],
    ["\\w+\\b", "ab cd"],
    ["a+a", "aaa"],
    ["a.", "a"],
    ["a.*", "a"],
    ["(a|ab)c", "abc"],
    ["\\bfoo", "a foo b"],
    ["foo\\b", "a foo b"],
    ["$", "abc"],
    ["x*", ""],
    ["x*", "abc"],
    [")", "a)"],
    ["*a", "b*a"],
    ["a??", "xa?"],
    ["[z-a]", "az"],
    ["[a-\\d]", "xc"],
    ["[^a-c]+", "abxyc"],
    ["\\d{2,3}", "a12345"],
    ["\\d{2}", "a12345"],
    ["a{3,1}", "aaaa"],
    ["^b", "ab"],
    ["b$", "abb"],
    ["\\x+", "zz0fG"],
    ["(?:ab)+", "xababa"],
    ["\\d+", "abc"],
    ["[\\s]+", "a \t b"],
    ["a|b|c", "zzc"],
];
foreach (c in searches) {
    print("search " + c[0] + " in '" + c[1] + "' => " + range(regexp(c[0]).search(c[1])) + "\n");
}
print("search a in 'abcabc' from 2 => " + range(regexp("a").search("abcabc", 2)) + "\n");

local captures = [
    ["(a)+", "aaa"],
    ["(?:b|(a))(c)", "bc"],
    ["(a)|(b)", "b"],
    ["(\\w+) (\\w+)", "hello world"],
    ["(x*)y", "zzy"],
    ["z", "abc"],
];
foreach (c in captures) {
    print("capture " + c[0] + " in '" + c[1] + "' => " + ranges(regexp(c[0]).capture(c[1])) + "\n");
}
print("capture (b) in 'abcb' from 2 => " + ranges(regexp("(b)").capture("abcb", 2)) + "\n");

local matches = [
    ["a*", ""],
    ["a*", "aaa"],
    ["a*", "aab"],
    ["abc", "abcd"],
    ["[0-9]+\\.[0-9]+", "3.25"],
    ["a.", "a"],
];
foreach (c in matches) {
    print("match " + c[0] + " on '" + c[1] + "' => " + regexp(c[0]).match(c[1]) + "\n");
}

print("subexpcount => " + regexp("(a)(?:b)(c(d))").subexpcount() + "\n");
print("typeof => " + typeof regexp("a") + "\n");

local bad = [
    "a**", "a)", "", "(", "(a", "(?a)", "[]", "[^]", "[abc", "[a-]", "[\\d-z]",
    "a{x}", "a{2x", "a{2,", "a{2,3", "a{1234567890}", "a\tb",
];
foreach (p in bad) {
    try {
        regexp(p);
        print("compile '" + p + "' => ok\n");
    } catch (e) {
        print("compile '" + p + "' => error: " + e + "\n");
    }
}
