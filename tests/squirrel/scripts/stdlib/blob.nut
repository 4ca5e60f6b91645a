// blob: writes and reads at every width, endianness swaps, indexing, seeking and errors.
function dump(b) {
    local s = "";
    for (local i = 0; i < b.len(); i++) s += format("%02x ", b[i]);
    return s;
}

function eos(stream) {
    return stream.eos() == null ? "no" : "yes (" + stream.eos() + ")";
}

function attempt(label, f) {
    try {
        print(label + " => " + f() + "\n");
    } catch (e) {
        print(label + " => error: " + e + "\n");
    }
}

local b = blob();
print(typeof b + " len " + b.len() + " tell " + b.tell() + "\n");
local writes = [[0x11223344, 'i'], [-2, 's'], [0xABCD, 'w'], [-3, 'c'], [200, 'b'],
                [1.5, 'f'], [2.25, 'd'], [7, 'l']];
foreach (w in writes) b.writen(w[0], w[1]);
print("written " + dump(b) + "\n");
print("len " + b.len() + " tell " + b.tell() + " eos " + eos(b) + "\n");
b.seek(0);
foreach (w in writes) print("readn " + w[1].tochar() + " => " + b.readn(w[1]) + "\n");
attempt("readn past the end", function() : (b) { return b.readn('i'); });
attempt("readn z", function() : (b) { return b.readn('z'); });
attempt("writen z", function() : (b) { return b.writen(1, 'z'); });

local s = blob();
s.writen(0x11223344, 'i');
s.swap4();
print("swap4 " + dump(s) + "\n");
s.seek(0);
print("read after swap4 " + format("%08x", s.readn('i')) + "\n");
s.swap2();
print("swap2 " + dump(s) + "\n");
local odd = blob(3);
odd[0] = 1
odd[1] = 2
odd[2] = 3
odd.swap2();
print("swap2 odd " + dump(odd) + "\n");
odd.swap4();
print("swap4 short " + dump(odd) + "\n");

print("casti2f " + casti2f(0x3FC00000) + "\n");
print("castf2i " + castf2i(1.0) + "\n");
print("swap2 0x1122 " + format("%x", swap2(0x1122)) + "\n");
print("swap2 0x0080 " + swap2(0x0080) + "\n");
print("swap2 0x8000 " + swap2(0x8000) + "\n");
print("swap4 " + format("%08x", swap4(0x11223344)) + "\n");
print("swapfloat " + format("%08x", castf2i(swapfloat(1.5))) + "\n");

local r = blob(4);
r.resize(6);
print("resize up keeps len " + r.len() + "\n");
r.seek(4);
r.resize(2);
print("resize down len " + r.len() + " tell " + r.tell() + "\n");
print("blob(1, 2) len " + blob(1, 2).len() + "\n");
attempt("blob(-1)", function() { return blob(-1); });

local x = blob(3);
x[0] = 0x1FF;
x[1] = -1;
x[2] = 65;
print("indexed " + dump(x) + "\n");
attempt("x[3]", function() : (x) { return x[3]; });
attempt("x[-1]", function() : (x) { return x[-1]; });
foreach (i, v in x) print("foreach " + i + " " + v + "\n");
attempt("foreach empty", function() { foreach (i, v in blob(0)) print(i); return "done"; });

print("seek 2 => " + x.seek(2) + " tell " + x.tell() + " eos " + eos(x) + "\n");
print("seek -1 e => " + x.seek(-1, 'e') + " tell " + x.tell() + "\n");
print("seek 1 c => " + x.seek(1, 'c') + " tell " + x.tell() + " eos " + eos(x) + "\n");
print("seek 100 => " + x.seek(100) + " tell " + x.tell() + "\n");
attempt("seek origin x", function() : (x) { return x.seek(0, 'x'); });
print("flush => " + x.flush() + "\n");

b.seek(0);
local part = b.readblob(4);
print("readblob " + part.len() + " " + dump(part) + " tell " + b.tell() + "\n");
b.seek(-2, 'e');
local tail = b.readblob(10);
print("readblob clamped " + tail.len() + " " + dump(tail) + "\n");
attempt("readblob at end", function() : (b) { return b.readblob(4); });
local c = blob();
print("writeblob => " + c.writeblob(part) + " len " + c.len() + " " + dump(c) + "\n");
attempt("writeblob of a non-blob", function() : (c) { return c.writeblob(regexp("a")); });
