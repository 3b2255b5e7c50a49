// The T-SQL tokenizer; comments (-- and /* */) are skipped.
#include "tokenizer.h"

namespace emulator {
namespace {

bool is_space(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0x3000; }
bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool is_hex_digit(char16_t c) { return is_digit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }
bool is_word_start(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c == u'@' || c == u'#' ||
           c >= 0x80;
}
bool is_word_part(char16_t c) { return is_word_start(c) || is_digit(c) || c == u'$'; }

class Scanner {
public:
    explicit Scanner(const std::u16string& sql) : sql_(sql) {}

    std::vector<Token> run() {
        std::vector<Token> tokens;
        bool line_start = true;
        while (true) {
            line_start = skip_blanks_and_comments() || line_start;
            Token token;
            token.begin = pos_;
            token.starts_line = line_start;
            line_start = false;
            if (pos_ >= sql_.size()) {
                token.end = pos_;
                tokens.push_back(token);
                return tokens;
            }
            scan_one(token);
            token.end = pos_;
            tokens.push_back(std::move(token));
        }
    }

private:
    // Returns true when a line break was passed.
    bool skip_blanks_and_comments() {
        bool newline = false;
        while (pos_ < sql_.size()) {
            const char16_t c = sql_[pos_];
            if (is_space(c)) {
                newline = newline || c == u'\n';
                ++pos_;
            } else if (c == u'-' && peek(1) == u'-') {
                while (pos_ < sql_.size() && sql_[pos_] != u'\n') ++pos_;
            } else if (c == u'/' && peek(1) == u'*') {
                const size_t close = sql_.find(u"*/", pos_ + 2);
                if (close == std::u16string::npos) throw TokenizeError{sql_.substr(pos_)};
                newline = newline || sql_.find(u'\n', pos_) < close;
                pos_ = close + 2;
            } else {
                break;
            }
        }
        return newline;
    }

    char16_t peek(size_t ahead) const { return pos_ + ahead < sql_.size() ? sql_[pos_ + ahead] : u'\0'; }

    void scan_one(Token& token) {
        const char16_t c = sql_[pos_];
        if ((c == u'N' || c == u'n') && peek(1) == u'\'') {
            ++pos_;
            token.kind = Token::Kind::string;
            token.text = quoted(u'\'');
        } else if (c == u'\'') {
            token.kind = Token::Kind::string;
            token.text = quoted(u'\'');
        } else if (c == u'"') {
            token.kind = Token::Kind::double_quoted;
            token.text = quoted(u'"');
        } else if (c == u'[') {
            token.kind = Token::Kind::bracketed;
            token.text = quoted(u']');
        } else if (c == u'0' && (peek(1) == u'x' || peek(1) == u'X')) {
            token.kind = Token::Kind::binary;
            pos_ += 2;
            while (pos_ < sql_.size() && is_hex_digit(sql_[pos_])) ++pos_;
            token.text = sql_.substr(token.begin + 2, pos_ - token.begin - 2);
        } else if (is_digit(c)) {
            token.kind = Token::Kind::number;
            while (pos_ < sql_.size() && (is_digit(sql_[pos_]) || sql_[pos_] == u'.')) ++pos_;
            token.text = sql_.substr(token.begin, pos_ - token.begin);
        } else if (is_word_start(c)) {
            token.kind = Token::Kind::word;
            while (pos_ < sql_.size() && is_word_part(sql_[pos_])) ++pos_;
            token.text = sql_.substr(token.begin, pos_ - token.begin);
        } else if (std::u16string_view(u",()=.;*%-+<>!/").find(c) != std::u16string_view::npos) {
            token.kind = Token::Kind::symbol;
            token.text = std::u16string(1, c);
            ++pos_;
        } else {
            throw TokenizeError{std::u16string(1, c)};
        }
    }

    // Reads a quoted run whose closing character is doubled to escape it.
    std::u16string quoted(char16_t close) {
        const size_t start = pos_;
        std::u16string text;
        ++pos_;
        while (true) {
            if (pos_ >= sql_.size()) throw TokenizeError{sql_.substr(start)};
            if (sql_[pos_] == close) {
                if (peek(1) != close) break;
                ++pos_;
            }
            text += sql_[pos_++];
        }
        ++pos_;
        return text;
    }

    const std::u16string& sql_;
    size_t pos_ = 0;
};

}  // namespace

std::vector<Token> tokenize(const std::u16string& sql) { return Scanner(sql).run(); }

}  // namespace emulator
