#include "sqstdrex.h"

#include <cctype>

namespace {

bool isSpaceByte(int c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

} // namespace

int SQRex::newNode(Kind kind)
{
    Node n;
    n.kind = kind;
    nodes_.push_back(n);
    return static_cast<int>(nodes_.size()) - 1;
}

bool SQRex::isClassLetter(char c)
{
    switch (c) {
    case 'a': case 'A': case 'w': case 'W': case 's': case 'S': case 'd': case 'D':
    case 'x': case 'X': case 'c': case 'C': case 'p': case 'P': case 'l': case 'u':
        return true;
    default:
        return false;
    }
}

bool SQRex::classLetterMatches(char letter, unsigned char c)
{
    switch (letter) {
    case 'a': return std::isalpha(c);
    case 'A': return !std::isalpha(c);
    case 'w': return std::isalnum(c) || c == '_';
    case 'W': return !std::isalnum(c) && c != '_';
    case 's': return std::isspace(c);
    case 'S': return !std::isspace(c);
    case 'd': return std::isdigit(c);
    case 'D': return !std::isdigit(c);
    case 'x': return std::isxdigit(c);
    case 'X': return !std::isxdigit(c);
    case 'c': return std::iscntrl(c);
    case 'C': return !std::iscntrl(c);
    case 'p': return std::ispunct(c);
    case 'P': return !std::ispunct(c);
    case 'l': return std::islower(c);
    case 'u': return std::isupper(c);
    default: return false;
    }
}

namespace {

// Escapes that stand for a single control character.
bool controlEscape(char c, unsigned char &out)
{
    switch (c) {
    case 'n': out = '\n'; return true;
    case 't': out = '\t'; return true;
    case 'r': out = '\r'; return true;
    case 'f': out = '\f'; return true;
    case 'v': out = '\v'; return true;
    default: return false;
    }
}

} // namespace

bool SQRex::compile(const char *pattern, const char *&error)
{
    nodes_.clear();
    captures_.clear();
    pat_ = pattern;
    groupDepth_ = 0;
    try {
        if (*pat_ == '\0')
            throw CompileError{"unexpected character"};
        root_ = newNode(Kind::Group);
        nodes_[static_cast<std::size_t>(root_)].capture = 0;
        captures_.emplace_back();
        int inner = parseList();
        nodes_[static_cast<std::size_t>(root_)].left = inner;
        if (*pat_ != '\0')
            throw CompileError{"unexpected character"};
    } catch (const CompileError &e) {
        error = e.message;
        nodes_.clear();
        captures_.clear();
        root_ = -1;
        return false;
    }
    return true;
}

int SQRex::parseList()
{
    int first;
    if (*pat_ == '^') {
        ++pat_;
        first = newNode(Kind::Begin);
        if (*pat_ != '\0' && *pat_ != '|' && *pat_ != ')') {
            int rest = parseElement();
            nodes_[static_cast<std::size_t>(first)].next = rest;
        }
    } else {
        first = parseElement();
    }
    if (*pat_ == '|') {
        ++pat_;
        int alt = newNode(Kind::Alt);
        int right = parseList();
        nodes_[static_cast<std::size_t>(alt)].left = first;
        nodes_[static_cast<std::size_t>(alt)].right = right;
        return alt;
    }
    return first;
}

// A chain of items up to '|', ')' or the end. The first item of a branch is always an atom, so
// '*', '+', '?' and ')' standing there are literals.
int SQRex::parseElement()
{
    int first = -1, last = -1;
    for (;;) {
        int atom = parseAtom();
        parseRepeat(atom);
        if (last < 0)
            first = atom;
        else
            nodes_[static_cast<std::size_t>(last)].next = atom;
        last = atom;
        char c = *pat_;
        if (c == '\0' || c == '|' || c == ')' || c == '*' || c == '+')
            return first;
    }
}

int SQRex::parseAtom()
{
    char c = *pat_;
    switch (c) {
    case '(':
        ++pat_;
        return parseGroup();
    case '[':
        ++pat_;
        return parseClass();
    case '$':
        ++pat_;
        return newNode(Kind::End);
    case '.':
        ++pat_;
        return newNode(Kind::Any);
    case '\\':
        ++pat_;
        return parseEscapeAtom();
    default: {
        if (!std::isprint(static_cast<unsigned char>(c)))
            throw CompileError{"letter expected"};
        ++pat_;
        int n = newNode(Kind::Char);
        nodes_[static_cast<std::size_t>(n)].ch = static_cast<unsigned char>(c);
        return n;
    }
    }
}

int SQRex::parseEscapeAtom()
{
    char c = *pat_;
    if (c == '\0')
        throw CompileError{"letter expected"};
    ++pat_;
    unsigned char ctl = 0;
    if (controlEscape(c, ctl)) {
        int n = newNode(Kind::Char);
        nodes_[static_cast<std::size_t>(n)].ch = ctl;
        return n;
    }
    if (c == 'b' || c == 'B') {
        int n = newNode(Kind::WordBoundary);
        nodes_[static_cast<std::size_t>(n)].ch = static_cast<unsigned char>(c);
        return n;
    }
    int n = newNode(isClassLetter(c) ? Kind::ClassLetter : Kind::Char);
    nodes_[static_cast<std::size_t>(n)].ch = static_cast<unsigned char>(c);
    return n;
}

int SQRex::parseGroup()
{
    constexpr int kMaxGroupDepth = 200;
    if (++groupDepth_ > kMaxGroupDepth)
        throw CompileError{"groups nested too deep"};
    int capture = -1;
    if (*pat_ == '?') {
        ++pat_;
        if (*pat_ != ':')
            throw CompileError{"expected paren"};
        ++pat_;
    } else {
        capture = static_cast<int>(captures_.size());
        captures_.emplace_back();
    }
    int group = newNode(Kind::Group);
    nodes_[static_cast<std::size_t>(group)].capture = capture;
    int inner = parseList();
    nodes_[static_cast<std::size_t>(group)].left = inner;
    if (*pat_ != ')')
        throw CompileError{"expected paren"};
    ++pat_;
    --groupDepth_;
    return group;
}

unsigned char SQRex::parseSingleChar()
{
    char c = *pat_;
    if (c == '\\') {
        ++pat_;
        c = *pat_;
        if (c == '\0')
            throw CompileError{"letter expected"};
        ++pat_;
        unsigned char ctl = 0;
        if (controlEscape(c, ctl))
            return ctl;
        return static_cast<unsigned char>(c);
    }
    if (!std::isprint(static_cast<unsigned char>(c)))
        throw CompileError{"letter expected"};
    ++pat_;
    return static_cast<unsigned char>(c);
}

int SQRex::parseClass()
{
    Kind kind = Kind::Class;
    if (*pat_ == '^') {
        kind = Kind::NegClass;
        ++pat_;
    }
    if (*pat_ == ']')
        throw CompileError{"empty class"};
    std::vector<Range> ranges;
    while (*pat_ != ']') {
        if (*pat_ == '\0')
            throw CompileError{"letter expected"};
        if (pat_[0] == '\\' && isClassLetter(pat_[1])) {
            Range r;
            r.classLetter = pat_[1];
            pat_ += 2;
            if (*pat_ == '-')
                throw CompileError{"cannot use character classes in ranges"};
            ranges.push_back(r);
            continue;
        }
        Range r;
        r.lo = r.hi = parseSingleChar();
        if (*pat_ == '-') {
            ++pat_;
            // A reversed range is accepted and matches nothing.
            r.hi = parseSingleChar();
        }
        ranges.push_back(r);
    }
    ++pat_;
    int n = newNode(kind);
    nodes_[static_cast<std::size_t>(n)].ranges = std::move(ranges);
    return n;
}

unsigned SQRex::parseNumber()
{
    unsigned value = 0;
    int digits = 0;
    while (std::isdigit(static_cast<unsigned char>(*pat_))) {
        if (++digits > 9)
            throw CompileError{"overflow in numeric constant"};
        value = value * 10 + static_cast<unsigned>(*pat_ - '0');
        ++pat_;
    }
    return value & 0xFFFF;
}

void SQRex::parseRepeat(int &atom)
{
    unsigned mn = 0, mx = 0;
    switch (*pat_) {
    case '*': mn = 0; mx = kUnbounded; ++pat_; break;
    case '+': mn = 1; mx = kUnbounded; ++pat_; break;
    case '?': mn = 0; mx = 1; ++pat_; break;
    case '{':
        ++pat_;
        if (!std::isdigit(static_cast<unsigned char>(*pat_)))
            throw CompileError{"number expected"};
        mn = parseNumber();
        if (*pat_ == '}') {
            mx = mn;
        } else if (*pat_ == ',') {
            ++pat_;
            mx = kUnbounded;
            if (std::isdigit(static_cast<unsigned char>(*pat_)))
                mx = parseNumber();
            if (*pat_ != '}')
                throw CompileError{"expected paren"};
        } else {
            throw CompileError{", or } expected"};
        }
        ++pat_;
        break;
    default:
        return;
    }
    int rep = newNode(Kind::Repeat);
    Node &r = nodes_[static_cast<std::size_t>(rep)];
    r.left = atom;
    r.min = mn;
    r.max = mx;
    atom = rep;
}

int SQRex::byteAt(int pos) const
{
    return pos < eol_ ? static_cast<unsigned char>(text_[pos]) : 0;
}

bool SQRex::matchByte(const Node &n, int pos) const
{
    // The terminating zero at eol_ is a byte too ('.' and negated classes step over it);
    // nothing exists beyond it.
    if (pos > eol_)
        return false;
    auto c = static_cast<unsigned char>(byteAt(pos));
    switch (n.kind) {
    case Kind::Char: return c == n.ch;
    case Kind::Any: return true;
    case Kind::ClassLetter: return classLetterMatches(static_cast<char>(n.ch), c);
    case Kind::Class:
    case Kind::NegClass: {
        bool in = false;
        for (const Range &r : n.ranges) {
            if (r.classLetter ? classLetterMatches(r.classLetter, c) : (c >= r.lo && c <= r.hi)) {
                in = true;
                break;
            }
        }
        return n.kind == Kind::Class ? in : !in;
    }
    default: return false;
    }
}

// Judged by white space only, looking at the byte at `pos` and the one after it.
bool SQRex::isWordBoundary(int pos) const
{
    int c = pos <= eol_ ? byteAt(pos) : 0;
    int next = pos + 1 < eol_ ? byteAt(pos + 1) : 0;
    if (pos == bol_ && !isSpaceByte(c))
        return true;
    if (pos == eol_ && pos > bol_ && !isSpaceByte(byteAt(pos - 1)))
        return true;
    if (!isSpaceByte(c) && isSpaceByte(next))
        return true;
    return isSpaceByte(c) && !isSpaceByte(next);
}

int SQRex::matchNode(int node, int pos, int follow)
{
    const Node &n = nodes_[static_cast<std::size_t>(node)];
    switch (n.kind) {
    case Kind::Char:
    case Kind::Any:
    case Kind::Class:
    case Kind::NegClass:
    case Kind::ClassLetter:
        return matchByte(n, pos) ? pos + 1 : -1;
    case Kind::Begin:
        return pos == bol_ ? pos : -1;
    case Kind::End:
        return pos == eol_ ? pos : -1;
    case Kind::WordBoundary:
        return isWordBoundary(pos) == (n.ch == 'b') ? pos : -1;
    case Kind::Group: {
        // Only the group whose number equals the running counter records; see the header.
        bool records = n.capture >= 0 && n.capture == captureCounter_;
        Capture *cap = records ? &captures_[static_cast<std::size_t>(n.capture)] : nullptr;
        if (records) {
            cap->begin = text_ + pos;
            ++captureCounter_;
        }
        int cur = pos;
        for (int m = n.left; m != -1; m = nodes_[static_cast<std::size_t>(m)].next) {
            int mNext = nodes_[static_cast<std::size_t>(m)].next;
            cur = matchNode(m, cur, mNext != -1 ? mNext : follow);
            if (cur < 0) {
                if (records)
                    *cap = Capture{};
                return -1;
            }
        }
        if (records)
            cap->len = cur - pos;
        return cur;
    }
    case Kind::Alt: {
        for (int chain : {n.left, n.right}) {
            int cur = pos;
            for (int m = chain; m != -1 && cur >= 0; m = nodes_[static_cast<std::size_t>(m)].next)
                cur = matchNode(m, cur, -1);
            if (cur >= 0)
                return cur;
        }
        return -1;
    }
    case Kind::Repeat: {
        int stop = n.next != -1 ? n.next : follow;
        bool checkStop = stop != -1 && !(nodes_[static_cast<std::size_t>(stop)].kind == Kind::Repeat &&
                                         nodes_[static_cast<std::size_t>(stop)].min == 0);
        int stopFollow = stop != -1 ? nodes_[static_cast<std::size_t>(stop)].next : -1;
        auto inRange = [&n](unsigned count) { return count >= n.min && (n.max == kUnbounded || count <= n.max); };
        unsigned count = 0;
        int cur = pos;
        while (n.max == kUnbounded || count < n.max) {
            int r = matchNode(n.left, cur, stop);
            if (r < 0)
                break;
            bool progressed = r != cur;
            ++count;
            cur = r;
            if (checkStop && matchNode(stop, cur, stopFollow) >= 0 && inRange(count))
                break;
            if (cur >= eol_)
                break;
            // An item that matched nothing would repeat forever.
            if (!progressed)
                break;
        }
        return inRange(count) ? cur : -1;
    }
    }
    return -1;
}

bool SQRex::match(const char *text, const char *textEnd)
{
    if (root_ < 0)
        return false;
    text_ = text;
    eol_ = static_cast<int>(textEnd - text);
    bol_ = 0;
    for (Capture &c : captures_)
        c = Capture{};
    captureCounter_ = 0;
    return matchNode(root_, 0, -1) == eol_;
}

bool SQRex::searchRange(const char *text, const char *textEnd, const char *&outBegin, const char *&outEnd)
{
    if (root_ < 0)
        return false;
    text_ = text;
    eol_ = static_cast<int>(textEnd - text);
    bol_ = 0;
    for (Capture &c : captures_)
        c = Capture{};
    for (int start = 0; start < eol_; ++start) {
        captureCounter_ = 0;
        int end = matchNode(root_, start, -1);
        if (end >= 0) {
            outBegin = text + start;
            outEnd = text + end;
            return true;
        }
    }
    return false;
}
