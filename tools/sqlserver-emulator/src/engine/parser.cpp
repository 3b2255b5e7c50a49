// The statement parser: a recursive-descent reader of the supported T-SQL forms.
#include "parser.h"

#include "text.h"
#include "token_cursor.h"

#include <array>

namespace emulator {
namespace {

using Kind = Token::Kind;

class Parser : private TokenCursor {
public:
    using TokenCursor::TokenCursor;

    std::vector<Statement> run() {
        std::vector<Statement> statements;
        while (current().kind != Kind::end) {
            if (accept_symbol(u";")) continue;
            statements.push_back(statement(statements.empty()));
        }
        return statements;
    }

private:
    Statement statement(bool first_in_batch) {
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

    StatementBody statement_body(bool first_in_batch) {
        const Token& token = current();
        if (token.kind != Kind::word) syntax_error();
        if (accept_word(u"SELECT")) return select();
        if (accept_word(u"INSERT")) return insert();
        if (accept_word(u"DELETE")) return remove();
        if (accept_word(u"CREATE")) {
            if (accept_word(u"TABLE")) return create_table();
            if (accept_word(u"DATABASE")) return create_database();
            if (accept_word(u"LOGIN")) return create_login();
            throw Unsupported{};
        }
        if (accept_word(u"DROP")) {
            if (!accept_word(u"DATABASE")) throw Unsupported{};
            DropDatabaseStatement drop{name()};
            finish_strictly();
            return drop;
        }
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

    Operand operand() {
        if (at_literal()) return literal();
        if (at_global_variable()) return function_call();
        if (current().kind == Kind::word && current().text.starts_with(u"@")) throw Unsupported{};
        return column_ref();
    }

    bool at_global_variable() const { return current().kind == Kind::word && current().text.starts_with(u"@@"); }

    // A function call or a global variable, rather than a column.
    bool at_call() const {
        return at_global_variable() || (current().kind == Kind::word && is_symbol(ahead(1), u"("));
    }

    // WHERE a = b [AND c = d ...]; other operators are not implemented.
    std::vector<Comparison> where_clause() {
        std::vector<Comparison> conditions;
        if (!accept_word(u"WHERE")) return conditions;
        do {
            Comparison comparison;
            comparison.left = operand();
            if (!accept_symbol(u"=")) {
                if (current().kind == Kind::word || current().kind == Kind::symbol) throw Unsupported{};
                syntax_error();
            }
            comparison.right = operand();
            conditions.push_back(std::move(comparison));
        } while (accept_word(u"AND"));
        return conditions;
    }

    SelectStatement select() {
        SelectStatement select;
        if (is_word(current(), u"TOP") || is_word(current(), u"DISTINCT")) throw Unsupported{};
        do {
            select.items.push_back(select_item());
        } while (accept_symbol(u","));
        if (accept_word(u"FROM")) {
            do {
                TableRef ref{object_name(), {}};
                ref.alias = optional_alias();
                select.from.push_back(std::move(ref));
            } while (accept_symbol(u","));
        }
        select.where = where_clause();
        finish();
        return select;
    }

    SelectItem select_item() {
        SelectItem item;
        if (accept_symbol(u"*")) {
            item.kind = SelectItem::Kind::all_columns;
            return item;
        }
        if (is_word(current(), u"COUNT") && is_symbol(ahead(1), u"(")) {
            advance();
            advance();
            if (accept_symbol(u"*")) {
                item.kind = SelectItem::Kind::count_rows;
            } else {
                item.kind = SelectItem::Kind::count_column;
                item.column = column_ref();
            }
            expect_symbol(u")");
        } else if (at_literal()) {
            item.kind = SelectItem::Kind::constant;
            item.constant = literal();
        } else if (at_call()) {
            converted_item(item);
        } else {
            if (current().text.starts_with(u"@")) throw Unsupported{};
            item.column = column_ref();
        }
        item.alias = optional_alias();
        return item;
    }

    // CONVERT(type, x), CAST(x AS type) or a bare call, where x is a call or
    // a column; a call converts only to nvarchar.
    void converted_item(SelectItem& item) {
        const bool convert = is_word(current(), u"CONVERT");
        if (!convert && !is_word(current(), u"CAST")) {
            item.kind = SelectItem::Kind::function;
            item.function = function_call();
            return;
        }
        advance();
        expect_symbol(u"(");
        Conversion conversion;
        if (convert) {
            conversion = conversion_type();
            expect_symbol(u",");
        }
        if (at_call()) {
            item.kind = SelectItem::Kind::function;
            item.function = function_call();
        } else if (current().kind == Kind::word || current().kind == Kind::bracketed) {
            item.kind = SelectItem::Kind::column;
            item.column = column_ref();
        } else {
            throw Unsupported{};  // a literal or an expression
        }
        if (convert) {
            if (is_symbol(current(), u",")) throw Unsupported{};  // a style means nothing to these types
        } else {
            expect_word(u"AS");
            conversion = conversion_type();
        }
        expect_symbol(u")");
        if (item.kind == SelectItem::Kind::column) {
            item.conversion = conversion;
            return;
        }
        if (conversion.type != ColumnType::nvarchar) throw Unsupported{};
        item.function.nvarchar_length = conversion.length;
    }

    // nvarchar[(n)], varchar[(n)] or int; CAST and CONVERT give a character
    // type without a length 30 characters.
    Conversion conversion_type() {
        if (current().kind != Kind::word && current().kind != Kind::bracketed) syntax_error();
        const std::u16string type = to_upper(advance().text);
        if (type == u"INT") return {ColumnType::int32, 0};
        if (type != u"NVARCHAR" && type != u"VARCHAR") throw Unsupported{};
        const bool national = type == u"NVARCHAR";
        Conversion conversion{national ? ColumnType::nvarchar : ColumnType::varchar, 30};
        if (!accept_symbol(u"(")) return conversion;
        if (is_word(current(), u"MAX")) throw Unsupported{};
        conversion.length = integer();
        if (conversion.length < 1 || conversion.length > (national ? 4000 : 8000)) throw Unsupported{};
        expect_symbol(u")");
        return conversion;
    }

    // Only a call of one of the two functions, or @@SPID or @@SERVERNAME; any
    // other expression is valid T-SQL the stand-in does not evaluate.
    FunctionCall function_call() {
        if (current().kind != Kind::word) throw Unsupported{};
        FunctionCall call{to_upper(advance().text), {}, std::nullopt};
        if (call.name == u"@@SPID" || call.name == u"@@SERVERNAME") return call;
        if (call.name != u"IS_SRVROLEMEMBER" && call.name != u"SERVERPROPERTY") throw Unsupported{};
        expect_symbol(u"(");
        if (!is_symbol(current(), u")")) {
            do {
                if (!is_string_token(current()) && !is_word(current(), u"NULL")) throw Unsupported{};
                call.arguments.push_back(literal());
            } while (accept_symbol(u","));
        }
        expect_symbol(u")");
        const size_t most = call.name == u"SERVERPROPERTY" ? 1 : 2;
        if (call.arguments.empty() || call.arguments.size() > most) throw Unsupported{};
        return call;
    }

    InsertStatement insert() {
        InsertStatement insert;
        accept_word(u"INTO");
        insert.table = object_name();
        if (accept_symbol(u"(")) {
            do {
                insert.columns.push_back(name());
            } while (accept_symbol(u","));
            expect_symbol(u")");
        }
        if (!accept_word(u"VALUES")) {
            if (current().kind == Kind::word) throw Unsupported{};
            syntax_error();
        }
        do {
            expect_symbol(u"(");
            std::vector<Value> row;
            do {
                if (!at_literal()) {
                    if (current().kind == Kind::word) throw Unsupported{};
                    syntax_error();
                }
                row.push_back(literal());
            } while (accept_symbol(u","));
            expect_symbol(u")");
            insert.rows.push_back(std::move(row));
        } while (accept_symbol(u","));
        finish();
        return insert;
    }

    DeleteStatement remove() {
        DeleteStatement remove;
        accept_word(u"FROM");
        remove.table = object_name();
        remove.where = where_clause();
        finish();
        return remove;
    }

    CreateTableStatement create_table() {
        CreateTableStatement create;
        create.table = object_name();
        expect_symbol(u"(");
        do {
            create.columns.push_back(column_definition());
        } while (accept_symbol(u","));
        expect_symbol(u")");
        finish();
        return create;
    }

    ColumnDefinition column_definition() {
        ColumnDefinition column;
        column.name = name();
        if (current().kind != Kind::word) syntax_error();
        column.type = to_upper(advance().text);
        if (column.type != u"INT") {
            if (column.type != u"NVARCHAR" && column.type != u"VARCHAR" && column.type != u"NCHAR" &&
                column.type != u"CHAR")
                throw Unsupported{};
            column.length = 1;  // char(n) without a length holds one character
            if (accept_symbol(u"(")) {
                column.length = accept_word(u"MAX") ? -1 : integer();
                if (column.length == 0) syntax_error();
                expect_symbol(u")");
            }
        }
        if (accept_word(u"NOT")) {
            expect_word(u"NULL");
            column.nullable = false;
        } else {
            accept_word(u"NULL");
        }
        if (!is_symbol(current(), u",") && !is_symbol(current(), u")")) {
            if (current().kind == Kind::word) throw Unsupported{};
            syntax_error();
        }
        return column;
    }

    CreateDatabaseStatement create_database() {
        CreateDatabaseStatement create;
        create.name = name();
        if (accept_word(u"ON")) {
            accept_word(u"PRIMARY");
            create.data_files = file_specs();
            if (accept_word(u"LOG")) {
                expect_word(u"ON");
                create.log_files = file_specs();
            }
        }
        finish();
        return create;
    }

    // A SQL Server login; FROM WINDOWS, CERTIFICATE or ASYMMETRIC KEY, a
    // hashed password, MUST_CHANGE, SID and CREDENTIAL are not implemented.
    CreateLoginStatement create_login() {
        CreateLoginStatement login;
        login.name = name();
        if (!accept_word(u"WITH")) throw Unsupported{};
        expect_word(u"PASSWORD");
        expect_symbol(u"=");
        if (!is_string_token(current())) throw Unsupported{};
        login.password = string_literal();
        if (is_word(current(), u"HASHED") || is_word(current(), u"MUST_CHANGE")) throw Unsupported{};
        while (accept_symbol(u",")) {
            if (current().kind != Kind::word) syntax_error();
            const std::u16string option = to_upper(advance().text);
            expect_symbol(u"=");
            if (option == u"DEFAULT_DATABASE") login.default_database = name();
            else if (option == u"DEFAULT_LANGUAGE") login.default_language = name();
            else if (option == u"CHECK_EXPIRATION") login.check_expiration = on_or_off();
            else if (option == u"CHECK_POLICY") login.check_policy = on_or_off();
            else throw Unsupported{};
        }
        finish();
        return login;
    }

    bool on_or_off() {
        if (accept_word(u"ON")) return true;
        expect_word(u"OFF");
        return false;
    }

    std::vector<FileSpec> file_specs() {
        std::vector<FileSpec> specs;
        do {
            specs.push_back(file_spec());
        } while (accept_symbol(u","));
        return specs;
    }

    FileSpec file_spec() {
        FileSpec spec;
        expect_symbol(u"(");
        do {
            if (current().kind != Kind::word) syntax_error();
            const std::u16string option = to_upper(advance().text);
            expect_symbol(u"=");
            if (option == u"NAME") {
                spec.logical = is_string_token(current()) ? string_literal() : name();
            } else if (option == u"FILENAME") {
                spec.filename = string_literal();
            } else if (option == u"SIZE") {
                spec.size_bytes = file_size();
            } else if (option == u"MAXSIZE") {
                spec.max_size_bytes = accept_word(u"UNLIMITED") ? -1 : file_size();
            } else if (option == u"FILEGROWTH") {
                spec.growth = integer();
                spec.growth_percent = accept_symbol(u"%");
                if (!spec.growth_percent) *spec.growth *= unit_multiplier();
            } else {
                throw Unsupported{};
            }
        } while (accept_symbol(u","));
        expect_symbol(u")");
        if (spec.logical.empty() || spec.filename.empty()) syntax_error();
        return spec;
    }

    int64_t file_size() { return static_cast<int64_t>(integer()) * unit_multiplier(); }

    int64_t unit_multiplier() {
        if (accept_word(u"KB")) return int64_t{1} << 10;
        if (accept_word(u"GB")) return int64_t{1} << 30;
        if (accept_word(u"TB")) return int64_t{1} << 40;
        accept_word(u"MB");
        return int64_t{1} << 20;
    }

    SetStatement set() {
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
    void set_switches(const std::u16string& first, SetStatement& set) {
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

    ExecStatement exec() {
        ExecStatement exec;
        exec.procedure = object_name().name;
        if (at_statement_end()) return exec;
        do {
            if (current().kind == Kind::word && current().text.starts_with(u"@")) throw Unsupported{};
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

    BackupStatement backup() {
        BackupStatement backup;
        if (!accept_word(u"DATABASE")) throw Unsupported{};
        backup.database = name();
        expect_word(u"TO");
        if (!accept_word(u"DISK")) throw Unsupported{};
        expect_symbol(u"=");
        backup.device = string_literal();
        if (accept_word(u"WITH")) {
            do {
                backup_option(backup);
            } while (accept_symbol(u","));
        }
        finish();
        return backup;
    }

    void backup_option(BackupStatement& backup) {
        if (current().kind != Kind::word) syntax_error();
        const std::u16string option = to_upper(advance().text);
        if (option == u"INIT" || option == u"FORMAT") {
            backup.init = true;
        } else if (option == u"NOINIT") {
            backup.init = false;
        } else if (option == u"COPY_ONLY") {
            backup.copy_only = true;
        } else if (option == u"CHECKSUM") {
            backup.checksum = true;
        } else if (option == u"NO_CHECKSUM") {
            backup.checksum = false;
        } else if (option == u"STATS") {
            backup.stats_percent = accept_symbol(u"=") ? integer() : 10;
            if (backup.stats_percent < 1 || backup.stats_percent > 100) syntax_error();
        } else if (option == u"NAME" || option == u"DESCRIPTION") {
            expect_symbol(u"=");
            (option == u"NAME" ? backup.name : backup.description) = string_literal();
        } else if (option != u"NOFORMAT" && option != u"SKIP" && option != u"NOSKIP" && option != u"NOUNLOAD" &&
                   option != u"NO_COMPRESSION") {
            throw Unsupported{};
        }
    }

    StatementBody restore() {
        if (accept_word(u"HEADERONLY")) return backup_information(BackupInformationStatement::Kind::header);
        if (accept_word(u"FILELISTONLY")) return backup_information(BackupInformationStatement::Kind::file_list);
        RestoreStatement restore;
        if (!accept_word(u"DATABASE")) throw Unsupported{};
        restore.database = name();
        expect_word(u"FROM");
        if (!accept_word(u"DISK")) throw Unsupported{};
        expect_symbol(u"=");
        restore.device = string_literal();
        if (accept_word(u"WITH")) {
            do {
                restore_option(restore);
            } while (accept_symbol(u","));
        }
        finish();
        return restore;
    }

    BackupInformationStatement backup_information(BackupInformationStatement::Kind kind) {
        BackupInformationStatement information{kind, {}};
        expect_word(u"FROM");
        if (!accept_word(u"DISK")) throw Unsupported{};
        expect_symbol(u"=");
        information.device = string_literal();
        if (accept_word(u"WITH")) {
            do {
                if (current().kind != Kind::word) syntax_error();
                const std::u16string option = to_upper(advance().text);
                if (option == u"FILE") {
                    expect_symbol(u"=");
                    if (integer() != 1) throw Unsupported{};  // backups here hold one set
                } else if (option != u"NOUNLOAD") {
                    throw Unsupported{};
                }
            } while (accept_symbol(u","));
        }
        finish();
        return information;
    }

    void restore_option(RestoreStatement& restore) {
        if (current().kind != Kind::word) syntax_error();
        const std::u16string option = to_upper(advance().text);
        if (option == u"FILE") {
            expect_symbol(u"=");
            if (integer() != 1) throw Unsupported{};  // backups here hold one set
        } else if (option == u"STATS") {
            restore.stats_percent = accept_symbol(u"=") ? integer() : 10;
            if (restore.stats_percent < 1 || restore.stats_percent > 100) syntax_error();
        } else if (option == u"REPLACE") {
            restore.replace = true;
        } else if (option == u"MOVE") {
            MoveOption move;
            move.logical = string_literal();
            expect_word(u"TO");
            move.target = string_literal();
            restore.moves.push_back(std::move(move));
        } else if (option != u"NOUNLOAD" && option != u"RECOVERY" && option != u"CHECKSUM") {
            throw Unsupported{};
        }
    }
};

}  // namespace

std::vector<Statement> parse_batch(const std::u16string& sql, bool quoted_identifier) {
    return Parser(sql, quoted_identifier).run();
}

}  // namespace emulator
