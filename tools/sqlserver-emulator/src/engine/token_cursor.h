// Reading a batch's tokens one at a time: keywords, names, literals, and the
// two ways a statement can go wrong (a syntax error, or a form the stand-in
// does not implement).
#pragma once

#include "parser.h"
#include "statements.h"
#include "tokenizer.h"

#include <string>
#include <string_view>
#include <vector>

namespace emulator {

// Raised inside a statement that is valid T-SQL in shape but not one the
// stand-in implements; the statement becomes an UnsupportedStatement.
struct Unsupported {};

bool is_statement_keyword(const std::u16string& word);

class TokenCursor {
public:
    // Throws SyntaxError when the text does not tokenize.
    TokenCursor(const std::u16string& sql, bool quoted_identifier);

protected:
    const Token& current() const { return tokens_[pos_]; }
    const Token& ahead(size_t n) const;
    const Token& advance();
    size_t position() const { return pos_; }
    void rewind(size_t position) { pos_ = position; }
    // The source text from the token at `first` to the one before the cursor.
    std::u16string text_from(size_t first) const;
    // Double-quoted tokens read as names from here on when on, as strings when off.
    void set_quoted_identifier(bool on) { quoted_identifier_ = on; }

    [[noreturn]] void syntax_error() const;

    bool is_word(const Token& token, std::u16string_view word) const;
    bool accept_word(std::u16string_view word);
    void expect_word(std::u16string_view word);
    bool is_symbol(const Token& token, std::u16string_view symbol) const;
    bool accept_symbol(std::u16string_view symbol);
    void expect_symbol(std::u16string_view symbol);
    bool is_string_token(const Token& token) const;

    bool at_statement_end() const;
    // The statement is over; a word after it is a clause the stand-in does not
    // implement, anything else is garbage.
    void finish();
    // A statement with nothing optional left: anything after it is garbage.
    void finish_strictly();

    std::u16string name();
    ObjectName object_name();
    int32_t integer();
    // A string, a number, a binary constant or NULL.
    bool at_literal() const;
    Value literal();
    std::u16string string_literal();
    Binary binary_literal();  // 0x...
    ColumnRef column_ref();
    // "AS name", a bare name that is no keyword, or empty.
    std::u16string optional_alias();

private:
    bool is_name_token(const Token& token) const;

    const std::u16string& sql_;
    std::vector<Token> tokens_;
    size_t pos_ = 0;
    bool quoted_identifier_;
};

}  // namespace emulator
