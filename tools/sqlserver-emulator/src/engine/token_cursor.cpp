// Token-level reading shared by the statement grammars.
#include "token_cursor.h"

#include "text.h"

#include <array>
#include <charconv>

namespace emulator {
namespace {

using Kind = Token::Kind;

constexpr std::array<std::u16string_view, 17> statement_keywords = {
    u"SELECT", u"INSERT", u"DELETE", u"UPDATE", u"CREATE", u"DROP", u"ALTER", u"USE",    u"SET",
    u"EXEC",   u"EXECUTE", u"BACKUP", u"RESTORE", u"DECLARE", u"GRANT", u"PRINT", u"KILL"};

// Words that end a name list or start a clause, so they are never names.
constexpr std::array<std::u16string_view, 22> clause_keywords = {
    u"FROM", u"WHERE", u"AND",   u"OR",   u"ORDER", u"GROUP",    u"HAVING", u"UNION",
    u"JOIN", u"INNER", u"LEFT",  u"RIGHT", u"ON",   u"AS",       u"INTO",   u"VALUES",
    u"TOP",  u"DISTINCT", u"NOT", u"NULL", u"WITH", u"IS"};

bool is_reserved(const Token& token) {
    return token.kind == Kind::word && (equals_any_ci(clause_keywords, token.text) || equals_any_ci(statement_keywords, token.text));
}

}  // namespace

bool is_statement_keyword(const std::u16string& word) { return equals_any_ci(statement_keywords, word); }

TokenCursor::TokenCursor(const std::u16string& sql, bool quoted_identifier)
    : sql_(sql), quoted_identifier_(quoted_identifier) {
    try {
        tokens_ = tokenize(sql);
    } catch (const TokenizeError& error) {
        throw SyntaxError{error.near};
    }
}

const Token& TokenCursor::ahead(size_t n) const { return tokens_[std::min(pos_ + n, tokens_.size() - 1)]; }

const Token& TokenCursor::advance() { return tokens_[pos_ < tokens_.size() - 1 ? pos_++ : pos_]; }

std::u16string TokenCursor::text_from(size_t first) const {
    const size_t last = pos_ > first ? pos_ - 1 : first;
    return sql_.substr(tokens_[first].begin, tokens_[last].end - tokens_[first].begin);
}

void TokenCursor::syntax_error() const {
    // At the end of the batch SQL Server names the last token it read.
    const Token& near = current().kind == Kind::end && pos_ > 0 ? tokens_[pos_ - 1] : current();
    throw SyntaxError{sql_.substr(near.begin, near.end - near.begin)};
}

bool TokenCursor::is_word(const Token& token, std::u16string_view word) const {
    return token.kind == Kind::word && equals_ci(token.text, word);
}

bool TokenCursor::accept_word(std::u16string_view word) {
    if (!is_word(current(), word)) return false;
    advance();
    return true;
}

void TokenCursor::expect_word(std::u16string_view word) {
    if (!accept_word(word)) syntax_error();
}

bool TokenCursor::is_symbol(const Token& token, std::u16string_view symbol) const {
    return token.kind == Kind::symbol && token.text == symbol;
}

bool TokenCursor::accept_symbol(std::u16string_view symbol) {
    if (!is_symbol(current(), symbol)) return false;
    advance();
    return true;
}

void TokenCursor::expect_symbol(std::u16string_view symbol) {
    if (!accept_symbol(symbol)) syntax_error();
}

bool TokenCursor::is_name_token(const Token& token) const {
    return token.kind == Kind::word || token.kind == Kind::bracketed ||
           (token.kind == Kind::double_quoted && quoted_identifier_);
}

bool TokenCursor::is_string_token(const Token& token) const {
    return token.kind == Kind::string || (token.kind == Kind::double_quoted && !quoted_identifier_);
}

bool TokenCursor::at_statement_end() const {
    const Token& token = current();
    return token.kind == Kind::end || is_symbol(token, u";") ||
           (token.kind == Kind::word && equals_any_ci(statement_keywords, token.text));
}

void TokenCursor::finish() {
    if (at_statement_end()) return;
    if (current().kind == Kind::word) throw Unsupported{};
    syntax_error();
}

void TokenCursor::finish_strictly() {
    if (!at_statement_end()) syntax_error();
}

std::u16string TokenCursor::name() {
    if (!is_name_token(current()) || is_reserved(current())) syntax_error();
    return advance().text;
}

ObjectName TokenCursor::object_name() {
    const size_t start = position();
    std::vector<std::u16string> parts{name()};
    while (accept_symbol(u".")) {
        if (is_symbol(current(), u".")) {
            parts.emplace_back();  // db..table
            continue;
        }
        parts.push_back(name());
    }
    if (parts.size() > 3) throw Unsupported{};
    ObjectName object;
    object.name = parts.back();
    if (parts.size() >= 2) object.schema = parts[parts.size() - 2];
    if (parts.size() == 3) object.database = parts.front();
    object.written = text_from(start);
    return object;
}

int32_t TokenCursor::integer() {
    const bool negative = accept_symbol(u"-");
    if (current().kind != Kind::number) syntax_error();
    const std::string digits = to_utf8(advance().text);
    int64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc{} || end != digits.data() + digits.size() || value > INT32_MAX) throw Unsupported{};
    return static_cast<int32_t>(negative ? -value : value);
}

bool TokenCursor::at_literal() const {
    return is_string_token(current()) || current().kind == Kind::number || current().kind == Kind::binary ||
           is_symbol(current(), u"-") || is_word(current(), u"NULL");
}

Value TokenCursor::literal() {
    if (is_string_token(current())) return advance().text;
    if (current().kind == Kind::binary) return binary_literal();
    if (accept_word(u"NULL")) return std::monostate{};
    return integer();
}

Binary TokenCursor::binary_literal() {
    if (current().kind != Kind::binary) syntax_error();
    auto bytes = parse_hex_digits(current().text);
    if (!bytes) syntax_error();
    advance();
    return std::move(*bytes);
}

std::u16string TokenCursor::string_literal() {
    if (!is_string_token(current())) syntax_error();
    return advance().text;
}

ColumnRef TokenCursor::column_ref() {
    ColumnRef ref{{}, name()};
    if (accept_symbol(u".")) {
        ref.qualifier = ref.column;
        ref.column = name();
    }
    return ref;
}

std::u16string TokenCursor::optional_alias() {
    if (accept_word(u"AS")) return name();
    const Token& token = current();
    if (token.kind == Kind::bracketed || (token.kind == Kind::double_quoted && quoted_identifier_) ||
        (token.kind == Kind::word && !is_reserved(token)))
        return advance().text;
    return {};
}

}  // namespace emulator
