#include "sqlexer.h"

#include <cctype>
#include <cstdlib>
#include <unordered_map>
#include <utility>

namespace {

constexpr int kEndOfSource = 0;

const std::unordered_map<std::string, int> &keywords() {
    static const std::unordered_map<std::string, int> table = {
        {"while", TK_WHILE},       {"do", TK_DO},
        {"if", TK_IF},             {"else", TK_ELSE},
        {"break", TK_BREAK},       {"continue", TK_CONTINUE},
        {"return", TK_RETURN},     {"null", TK_NULL},
        {"function", TK_FUNCTION}, {"local", TK_LOCAL},
        {"for", TK_FOR},           {"foreach", TK_FOREACH},
        {"in", TK_IN},             {"typeof", TK_TYPEOF},
        {"delegate", TK_DELEGATE}, {"delete", TK_DELETE},
        {"try", TK_TRY},           {"catch", TK_CATCH},
        {"throw", TK_THROW},       {"clone", TK_CLONE},
        {"yield", TK_YIELD},       {"resume", TK_RESUME},
        {"switch", TK_SWITCH},     {"case", TK_CASE},
        {"default", TK_DEFAULT},   {"this", TK_THIS},
        {"parent", TK_PARENT},     {"class", TK_CLASS},
        {"extends", TK_EXTENDS},   {"constructor", TK_CONSTRUCTOR},
        {"instanceof", TK_INSTANCEOF}, {"vargc", TK_VARGC},
        {"vargv", TK_VARGV},       {"true", TK_TRUE},
        {"false", TK_FALSE},       {"static", TK_STATIC},
        {"enum", TK_ENUM},         {"const", TK_CONST},
    };
    return table;
}

bool isOctalDigit(int c) { return c >= '0' && c <= '7'; }
bool isDigit(int c) { return c >= '0' && c <= '9'; }
bool isHexDigit(int c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool isAlpha(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
int hexValue(int c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return c - 'A' + 10;
}

}  // namespace

SQLexer::SQLexer(std::function<int()> read) : _read(std::move(read)) {}

int SQLexer::readByte() {
    int c = _read();
    // Readers handing out signed chars give bytes 0x80-0xFF as negative numbers.
    if (c < 0 && c >= -128) c &= 0xFF;
    if (c < 0 || c > 255) error("Invalid character");
    return c;
}

void SQLexer::next() {
    _currdata = readByte();
    _currentcolumn++;
}

int SQLexer::finish(int tok) {
    _prevtoken = _curtoken;
    _curtoken = tok;
    _token = tok;
    return tok;
}

std::string SQLexer::tokenName(int tok) {
    switch (tok) {
        case TK_IDENTIFIER: return "IDENTIFIER";
        case TK_STRING_LITERAL: return "STRING_LITERAL";
        case TK_INTEGER: return "INTEGER";
        case TK_FLOAT: return "FLOAT";
        default: break;
    }
    for (const auto &[word, t] : keywords())
        if (t == tok) return word;
    switch (tok) {
        case TK_EQ: return "==";
        case TK_NE: return "!=";
        case TK_LE: return "<=";
        case TK_GE: return ">=";
        case TK_AND: return "&&";
        case TK_OR: return "||";
        case TK_NEWSLOT: return "<-";
        case TK_PLUSEQ: return "+=";
        case TK_MINUSEQ: return "-=";
        case TK_MULEQ: return "*=";
        case TK_DIVEQ: return "/=";
        case TK_MODEQ: return "%=";
        case TK_SHIFTL: return "<<";
        case TK_SHIFTR: return ">>";
        case TK_USHIFTR: return ">>>";
        case TK_DOUBLE_COLON: return "::";
        case TK_PLUSPLUS: return "++";
        case TK_MINUSMINUS: return "--";
        case TK_VARPARAMS: return "...";
        case TK_ATTR_OPEN: return "</";
        case TK_ATTR_CLOSE: return "/>";
        default: break;
    }
    return std::string(1, static_cast<char>(tok));
}

void SQLexer::readBlockComment() {
    for (;;) {
        switch (_currdata) {
            case '*':
                next();
                if (_currdata == '/') {
                    next();
                    return;
                }
                continue;
            case '\n':
                _currentline++;
                next();
                continue;
            case kEndOfSource: error("missing \"*/\" in comment");
            default: next();
        }
    }
}

void SQLexer::readLineComment() {
    while (_currdata != '\n' && _currdata != kEndOfSource) next();
}

int SQLexer::lex() {
    if (!_started) {
        // The first character does not count as consumed: columns on the first line start at 0.
        _started = true;
        _currdata = readByte();
    }
    _lasttokenline = _currentline;
    while (_currdata != kEndOfSource) {
        switch (_currdata) {
            case '\t':
            case '\r':
            case ' ': next(); continue;
            case '\n':
                _currentline++;
                _prevtoken = _curtoken;
                _curtoken = '\n';
                next();
                _currentcolumn = 1;
                continue;
            case '/':
                next();
                switch (_currdata) {
                    case '*':
                        next();
                        readBlockComment();
                        continue;
                    case '/': readLineComment(); continue;
                    case '=': next(); return finish(TK_DIVEQ);
                    case '>': next(); return finish(TK_ATTR_CLOSE);
                    default: return finish('/');
                }
            case '=':
                next();
                if (_currdata != '=') return finish('=');
                next();
                return finish(TK_EQ);
            case '<':
                next();
                switch (_currdata) {
                    case '=': next(); return finish(TK_LE);
                    case '-': next(); return finish(TK_NEWSLOT);
                    case '<': next(); return finish(TK_SHIFTL);
                    case '/': next(); return finish(TK_ATTR_OPEN);
                    default: return finish('<');
                }
            case '>':
                next();
                if (_currdata == '=') {
                    next();
                    return finish(TK_GE);
                }
                if (_currdata == '>') {
                    next();
                    if (_currdata == '>') {
                        next();
                        return finish(TK_USHIFTR);
                    }
                    return finish(TK_SHIFTR);
                }
                return finish('>');
            case '!':
                next();
                if (_currdata != '=') return finish('!');
                next();
                return finish(TK_NE);
            case '@': {
                next();
                if (_currdata != '"') error("string expected");
                return finish(readString('"', true));
            }
            case '"':
            case '\'': return finish(readString(_currdata, false));
            case '{':
            case '}':
            case '(':
            case ')':
            case '[':
            case ']':
            case ';':
            case ',':
            case '?':
            case '^':
            case '~': {
                int c = _currdata;
                next();
                return finish(c);
            }
            case '.':
                next();
                if (_currdata != '.') return finish('.');
                next();
                if (_currdata != '.') error("invalid token '..'");
                next();
                return finish(TK_VARPARAMS);
            case '&':
                next();
                if (_currdata != '&') return finish('&');
                next();
                return finish(TK_AND);
            case '|':
                next();
                if (_currdata != '|') return finish('|');
                next();
                return finish(TK_OR);
            case ':':
                next();
                if (_currdata != ':') return finish(':');
                next();
                return finish(TK_DOUBLE_COLON);
            case '*':
                next();
                if (_currdata != '=') return finish('*');
                next();
                return finish(TK_MULEQ);
            case '%':
                next();
                if (_currdata != '=') return finish('%');
                next();
                return finish(TK_MODEQ);
            case '-':
                next();
                if (_currdata == '=') {
                    next();
                    return finish(TK_MINUSEQ);
                }
                if (_currdata == '-') {
                    next();
                    return finish(TK_MINUSMINUS);
                }
                return finish('-');
            case '+':
                next();
                if (_currdata == '=') {
                    next();
                    return finish(TK_PLUSEQ);
                }
                if (_currdata == '+') {
                    next();
                    return finish(TK_PLUSPLUS);
                }
                return finish('+');
            default: {
                if (isDigit(_currdata)) return finish(readNumber());
                if (isAlpha(_currdata) || _currdata == '_') return finish(readIdentifier());
                if (_currdata < 32 || _currdata == 127) error("unexpected character(control)");
                int c = _currdata;
                next();
                return finish(c);
            }
        }
    }
    _token = TK_EOF;
    return TK_EOF;
}

int SQLexer::readString(int delimiter, bool verbatim) {
    _svalue.clear();
    next();
    if (_currdata == kEndOfSource) error("error parsing the string");
    for (;;) {
        while (_currdata != delimiter) {
            switch (_currdata) {
                case kEndOfSource: error("unfinished string");
                case '\n':
                    if (!verbatim) error("newline in a constant");
                    _svalue.push_back(static_cast<char>(_currdata));
                    next();
                    _currentline++;
                    break;
                case '\\':
                    if (verbatim) {
                        _svalue.push_back('\\');
                        next();
                        break;
                    }
                    next();
                    switch (_currdata) {
                        case 'x': {
                            next();
                            if (!isHexDigit(_currdata)) error("hexadecimal number expected");
                            int value = 0;
                            for (int n = 0; n < 4 && isHexDigit(_currdata); n++) {
                                value = value * 16 + hexValue(_currdata);
                                next();
                            }
                            _svalue.push_back(static_cast<char>(value & 0xFF));
                            break;
                        }
                        case 't': _svalue.push_back('\t'); next(); break;
                        case 'a': _svalue.push_back('\a'); next(); break;
                        case 'b': _svalue.push_back('\b'); next(); break;
                        case 'n': _svalue.push_back('\n'); next(); break;
                        case 'r': _svalue.push_back('\r'); next(); break;
                        case 'v': _svalue.push_back('\v'); next(); break;
                        case 'f': _svalue.push_back('\f'); next(); break;
                        case '0': _svalue.push_back('\0'); next(); break;
                        case '\\': _svalue.push_back('\\'); next(); break;
                        case '"': _svalue.push_back('"'); next(); break;
                        case '\'': _svalue.push_back('\''); next(); break;
                        default: error("unrecognised escaper char");
                    }
                    break;
                default:
                    _svalue.push_back(static_cast<char>(_currdata));
                    next();
            }
        }
        next();
        // In a verbatim string a doubled delimiter stands for one.
        if (verbatim && _currdata == delimiter) {
            _svalue.push_back(static_cast<char>(delimiter));
            next();
            continue;
        }
        break;
    }
    if (delimiter == '\'') {
        if (_svalue.empty()) error("empty constant");
        if (_svalue.size() > 1) error("constant too long");
        _nvalue = static_cast<signed char>(_svalue[0]);
        return TK_INTEGER;
    }
    return TK_STRING_LITERAL;
}

int SQLexer::readNumber() {
    enum { Int, Float } kind = Int;
    std::string text;
    int first = _currdata;
    next();
    if (first == '0' && (_currdata == 'x' || _currdata == 'X')) {
        next();
        std::uint32_t value = 0;
        int digits = 0;
        while (isHexDigit(_currdata)) {
            if (++digits > 8) error("too many digits for an Hex number");
            value = value * 16 + static_cast<std::uint32_t>(hexValue(_currdata));
            next();
        }
        _nvalue = static_cast<std::int32_t>(value);
        return TK_INTEGER;
    }
    if (first == '0' && isOctalDigit(_currdata)) {
        std::uint32_t value = 0;
        while (isDigit(_currdata)) {
            if (!isOctalDigit(_currdata)) error("invalid octal number");
            value = value * 8 + static_cast<std::uint32_t>(_currdata - '0');
            next();
        }
        _nvalue = static_cast<std::int32_t>(value);
        return TK_INTEGER;
    }
    text.push_back(static_cast<char>(first));
    while (_currdata == '.' || isDigit(_currdata) || _currdata == 'e' || _currdata == 'E') {
        if (_currdata == '.') kind = Float;
        if (_currdata == 'e' || _currdata == 'E') {
            if (kind != Float) error("invalid numeric format");
            text.push_back(static_cast<char>(_currdata));
            next();
            if (_currdata == '+' || _currdata == '-') {
                text.push_back(static_cast<char>(_currdata));
                next();
            }
            if (!isDigit(_currdata)) error("exponent expected");
        }
        text.push_back(static_cast<char>(_currdata));
        next();
    }
    if (kind == Float) {
        _fvalue = static_cast<float>(std::strtod(text.c_str(), nullptr));
        return TK_FLOAT;
    }
    std::uint32_t value = 0;
    for (char c : text) value = value * 10 + static_cast<std::uint32_t>(c - '0');
    _nvalue = static_cast<std::int32_t>(value);
    return TK_INTEGER;
}

int SQLexer::readIdentifier() {
    _svalue.clear();
    do {
        _svalue.push_back(static_cast<char>(_currdata));
        next();
    } while (isAlpha(_currdata) || isDigit(_currdata) || _currdata == '_');
    auto it = keywords().find(_svalue);
    return it == keywords().end() ? TK_IDENTIFIER : it->second;
}
