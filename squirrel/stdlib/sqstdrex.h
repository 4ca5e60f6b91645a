// The regular-expression engine behind the `regexp` class and the sqstd_rex_* functions.
// A small recursive-descent compiler produces chains of nodes; matching is a recursive walk
// without general backtracking, so results intentionally differ from POSIX/Perl engines.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct SQRex {
public:
    struct Capture {
        const char *begin = nullptr;
        int len = 0;
    };

    // Compiles `pattern` (bytes up to the first zero). On failure returns false and sets `error`
    // to one of the fixed compiler messages.
    bool compile(const char *pattern, const char *&error);

    // Whole-text match of [text, textEnd).
    bool match(const char *text, const char *textEnd);
    // First match whose start lies in [text, textEnd); `text` is the start of text for `^`.
    bool searchRange(const char *text, const char *textEnd, const char *&outBegin, const char *&outEnd);

    int subExpCount() const { return static_cast<int>(captures_.size()); }
    const Capture &subExp(int n) const { return captures_[static_cast<std::size_t>(n)]; }

private:
    enum class Kind { Char, Any, Class, NegClass, ClassLetter, Begin, End, WordBoundary, Group, Alt, Repeat };
    struct Range {
        unsigned char lo = 0, hi = 0;
        char classLetter = 0; // non-zero: an escape class such as \d inside [...]
    };
    struct Node {
        Kind kind = Kind::Char;
        unsigned char ch = 0;       // Char, ClassLetter; WordBoundary: 'b' or 'B'
        int left = -1;              // Group: first inner node; Alt: left chain; Repeat: repeated node
        int right = -1;             // Alt: right chain
        int capture = -1;           // Group: capture number or -1
        unsigned min = 0, max = 0;  // Repeat
        int next = -1;              // successor in the chain
        std::vector<Range> ranges;  // Class / NegClass
    };
    static constexpr unsigned kUnbounded = 0xFFFF;

    struct CompileError {
        const char *message;
    };

    int newNode(Kind kind);
    int parseList();
    int parseElement();
    int parseAtom();
    int parseGroup();
    int parseClass();
    int parseEscapeAtom();
    unsigned char parseSingleChar();
    unsigned parseNumber();
    void parseRepeat(int &atom);

    int matchNode(int node, int pos, int follow);
    bool matchByte(const Node &n, int pos) const;
    bool isWordBoundary(int pos) const;
    int byteAt(int pos) const;

    static bool classLetterMatches(char letter, unsigned char c);
    static bool isClassLetter(char c);

    std::vector<Node> nodes_;
    std::vector<Capture> captures_;
    int root_ = -1;
    const char *pat_ = nullptr;
    int groupDepth_ = 0;  // open groups while compiling (bounded: compiling and matching recurse)

    // Current text being matched: positions are offsets from text_; eol_ is the text length.
    const char *text_ = nullptr;
    int eol_ = 0;
    int bol_ = 0;
    int captureCounter_ = 0;
};
