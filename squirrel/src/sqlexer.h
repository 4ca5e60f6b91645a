// Tokenizer of Squirrel 2.2 source text. Tracks the line/column positions that compile errors
// report, and the previous token (a newline counts as one) that statement termination needs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

enum SQToken : int {
    TK_EOF = 0,
    TK_IDENTIFIER = 258,
    TK_STRING_LITERAL,
    TK_INTEGER,
    TK_FLOAT,
    TK_DELEGATE,
    TK_DELETE,
    TK_EQ,
    TK_NE,
    TK_LE,
    TK_GE,
    TK_SWITCH,
    TK_AND,
    TK_OR,
    TK_IF,
    TK_ELSE,
    TK_WHILE,
    TK_BREAK,
    TK_FOR,
    TK_DO,
    TK_NULL,
    TK_FOREACH,
    TK_IN,
    TK_NEWSLOT,
    TK_LOCAL,
    TK_CLONE,
    TK_FUNCTION,
    TK_RETURN,
    TK_TYPEOF,
    TK_PLUSEQ,
    TK_MINUSEQ,
    TK_CONTINUE,
    TK_YIELD,
    TK_TRY,
    TK_CATCH,
    TK_THROW,
    TK_SHIFTL,
    TK_SHIFTR,
    TK_RESUME,
    TK_DOUBLE_COLON,
    TK_CASE,
    TK_DEFAULT,
    TK_THIS,
    TK_PLUSPLUS,
    TK_MINUSMINUS,
    TK_PARENT,
    TK_USHIFTR,
    TK_CLASS,
    TK_EXTENDS,
    TK_CONSTRUCTOR,
    TK_INSTANCEOF,
    TK_VARPARAMS,
    TK_VARGC,
    TK_VARGV,
    TK_TRUE,
    TK_FALSE,
    TK_MULEQ,
    TK_DIVEQ,
    TK_MODEQ,
    TK_ATTR_OPEN,
    TK_ATTR_CLOSE,
    TK_STATIC,
    TK_ENUM,
    TK_CONST,
};

// Raised for lexical and syntax errors; carries the message only (the position is the lexer's).
struct SQCompileError {
    std::string message;
};

class SQLexer {
public:
    // read returns the next source byte, 0 at the end of the source.
    explicit SQLexer(std::function<int()> read);

    // Reads the next token into token() and returns it.
    int lex();

    int token() const { return _token; }
    // The token before the current one; '\n' when a newline separated them.
    int prevToken() const { return _prevtoken; }
    // Line where the previous token ended.
    int lastTokenLine() const { return _lasttokenline; }
    int currentLine() const { return _currentline; }
    int currentColumn() const { return _currentcolumn; }
    // Replaces the current token (the parser treats `::x` as `.x` on the root table).
    void setToken(int t) { _token = t; }

    const std::string &stringValue() const { return _svalue; }
    std::int32_t integerValue() const { return _nvalue; }
    float floatValue() const { return _fvalue; }

    // Text of a token for "expected '...'" messages.
    static std::string tokenName(int tok);

    [[noreturn]] static void error(const std::string &msg) { throw SQCompileError{msg}; }

private:
    int readByte();
    void next();
    int finish(int tok);
    void readBlockComment();
    void readLineComment();
    int readString(int delimiter, bool verbatim);
    int readNumber();
    int readIdentifier();

    std::function<int()> _read;
    bool _started = false;
    int _currdata = 0;
    int _token = 0;
    int _prevtoken = -1;
    int _curtoken = -1;
    int _currentline = 1;
    int _currentcolumn = 0;
    int _lasttokenline = 1;
    std::string _svalue;
    std::int32_t _nvalue = 0;
    float _fvalue = 0;
};
