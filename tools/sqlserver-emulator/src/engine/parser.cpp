// The statement parser: a recursive-descent reader of the supported T-SQL
// forms. This file holds the batch and statement level, SET and EXEC.
#include "grammar.h"

#include "text.h"

#include <array>

namespace emulator {
namespace {

using Kind = Token::Kind;

}  // namespace

std::vector<Statement> parse_batch(const std::u16string& sql, bool quoted_identifier) {
    return Grammar(sql, quoted_identifier).run();
}

std::vector<Statement> Grammar::run() {
    std::vector<Statement> statements;
    while (current().kind != Kind::end) {
        if (accept_symbol(u";")) continue;
        statements.push_back(statement(statements.empty()));
    }
    return statements;
}

Statement Grammar::statement(bool first_in_batch) {
    const size_t start = position();
    Statement result;
    try {
        result.body = statement_body(first_in_batch);
    } catch (const Unsupported&) {
        // The unsupported statement runs to a semicolon or to a line that
        // starts another statement.
        rewind(start);
        advance();
        while (current().kind != Kind::end && !is_symbol(current(), u";") &&
               !(current().starts_line && current().kind == Kind::word && is_statement_keyword(current().text)))
            advance();
        result.body = UnsupportedStatement{};
    }
    result.text = text_from(start);
    return result;
}

StatementBody Grammar::statement_body(bool first_in_batch) {
    const Token& token = current();
    if (token.kind != Kind::word) syntax_error();
    if (accept_word(u"SELECT")) return select();
    if (accept_word(u"INSERT")) return insert();
    if (accept_word(u"DELETE")) return remove();
    if (accept_word(u"CREATE")) {
        if (accept_word(u"TABLE")) return create_table();
        if (accept_word(u"DATABASE")) return create_database();
        if (accept_word(u"LOGIN")) return create_login();
        if (accept_word(u"USER")) return create_user();
        throw Unsupported{};
    }
    if (accept_word(u"ALTER")) {
        if (accept_word(u"LOGIN")) return alter_login();
        if (accept_word(u"DATABASE")) return alter_database();
        if (accept_word(u"SERVER")) return alter_server_role();
        throw Unsupported{};
    }
    if (accept_word(u"DROP")) {
        if (accept_word(u"DATABASE")) {
            DropDatabaseStatement drop{name()};
            finish_strictly();
            return drop;
        }
        return drop_principal();
    }
    if (accept_word(u"KILL")) return kill();
    if (accept_word(u"USE")) {
        UseStatement use{name()};
        finish_strictly();
        return use;
    }
    if (accept_word(u"SET")) return set();
    if (accept_word(u"EXEC") || accept_word(u"EXECUTE")) return exec();
    if (accept_word(u"BACKUP")) return backup();
    if (accept_word(u"RESTORE")) return restore();
    if (is_statement_keyword(token.text) || !first_in_batch) throw Unsupported{};
    // A batch may start with a procedure name alone.
    return exec();
}

SetStatement Grammar::set() {
    SetStatement set;
    if (current().kind != Kind::word) throw Unsupported{};
    const std::u16string option = to_upper(advance().text);
    if (option == u"LANGUAGE") {
        set.language = name();
    } else if (option == u"DATEFIRST" || option == u"TEXTSIZE" || option == u"LOCK_TIMEOUT") {
        integer();
    } else if (option == u"DATEFORMAT" || option == u"DEADLOCK_PRIORITY") {
        if (current().kind == Kind::number || is_symbol(current(), u"-")) integer();
        else name();
    } else if (option == u"TRANSACTION") {
        expect_word(u"ISOLATION");
        expect_word(u"LEVEL");
        if (accept_word(u"READ")) {
            if (!accept_word(u"COMMITTED")) expect_word(u"UNCOMMITTED");
        } else if (accept_word(u"REPEATABLE")) {
            expect_word(u"READ");
        } else if (!accept_word(u"SERIALIZABLE")) {
            expect_word(u"SNAPSHOT");
        }
    } else {
        set_switches(option, set);
    }
    finish();
    return set;
}

// SET option [, option ...] ON|OFF
void Grammar::set_switches(const std::u16string& first, SetStatement& set) {
    static constexpr std::array<std::u16string_view, 15> switches = {
        u"QUOTED_IDENTIFIER", u"ANSI_NULLS", u"ANSI_NULL_DFLT_ON", u"ANSI_PADDING", u"ANSI_WARNINGS",
        u"ARITHABORT", u"CONCAT_NULL_YIELDS_NULL", u"IMPLICIT_TRANSACTIONS", u"NUMERIC_ROUNDABORT",
        u"XACT_ABORT", u"NOCOUNT", u"ANSI_DEFAULTS", u"CURSOR_CLOSE_ON_COMMIT", u"ANSI_NULL_DFLT_OFF",
        u"NOEXEC"};
    std::vector<std::u16string> options{first};
    while (accept_symbol(u",")) options.push_back(to_upper(name()));
    for (const auto& option : options)
        if (!equals_any_ci(switches, option)) throw Unsupported{};
    bool on = false;
    if (accept_word(u"ON")) on = true;
    else expect_word(u"OFF");
    for (const auto& option : options)
        if (option == u"QUOTED_IDENTIFIER") {
            set.quoted_identifier = on;
            set_quoted_identifier(on);  // the rest of the batch is read with it
        }
}

ExecStatement Grammar::exec() {
    ExecStatement exec;
    exec.procedure = object_name().name;
    if (at_statement_end()) return exec;
    do {
        if (current().kind == Kind::word && current().text.starts_with(u"@")) throw Unsupported{};
        // A binary argument would need a typed parameter the procedures here do not have.
        if (current().kind == Kind::binary) throw Unsupported{};
        if (at_literal()) {
            const Value value = literal();
            if (const auto* text = std::get_if<std::u16string>(&value)) exec.arguments.emplace_back(*text);
            else if (const auto* number = std::get_if<int32_t>(&value)) exec.arguments.emplace_back(*number);
            else exec.arguments.emplace_back(std::monostate{});
        } else {
            // Unquoted names pass as character strings, as on SQL Server.
            exec.arguments.emplace_back(name());
        }
    } while (accept_symbol(u","));
    finish_strictly();
    return exec;
}

bool Grammar::on_or_off() {
    if (accept_word(u"ON")) return true;
    expect_word(u"OFF");
    return false;
}

}  // namespace emulator
