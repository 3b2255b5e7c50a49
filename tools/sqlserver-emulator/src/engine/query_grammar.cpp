// The grammar of queries and table statements: SELECT with its select list,
// comma joins and WHERE, INSERT, DELETE and CREATE TABLE.
#include "grammar.h"

#include "text.h"

namespace emulator {
namespace {

using Kind = Token::Kind;

// The built-in functions a select list may call, with how many arguments
// they take; the niladic ones are written without parentheses.
struct KnownFunction {
    std::u16string_view name;
    size_t least;
    size_t most;
    bool niladic;
};

constexpr KnownFunction known_functions[] = {
    {u"IS_SRVROLEMEMBER", 1, 2, false}, {u"SERVERPROPERTY", 1, 1, false}, {u"USER_NAME", 0, 1, false},
    {u"SUSER_SNAME", 0, 1, false},      {u"CURRENT_USER", 0, 0, true},    {u"@@VERSION", 0, 0, true},
    {u"@@SPID", 0, 0, true},            {u"@@SERVERNAME", 0, 0, true},
};

const KnownFunction* known_function(std::u16string_view name) {
    for (const auto& function : known_functions)
        if (equals_ci(function.name, name)) return &function;
    return nullptr;
}

bool is_niladic_function(const Token& token) {
    const KnownFunction* function = token.kind == Token::Kind::word ? known_function(token.text) : nullptr;
    return function && function->niladic;
}

}  // namespace

Operand Grammar::operand() {
    if (at_literal()) return literal();
    if (at_call()) return function_call();
    if (current().kind == Kind::word && current().text.starts_with(u"@")) throw Unsupported{};
    return column_ref();
}

// WHERE a = b [AND c = d ...]; other operators are not implemented.
std::vector<Comparison> Grammar::where_clause() {
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

SelectStatement Grammar::select() {
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

SelectItem Grammar::select_item() {
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

// A function call or a variable such as @@SPID, rather than a column.
bool Grammar::at_call() const {
    return is_niladic_function(current()) || (current().kind == Kind::word && is_symbol(ahead(1), u"("));
}

// CONVERT(type, x), CAST(x AS type) or a bare call, where x is a call or a
// column; a call converts only to nvarchar.
void Grammar::converted_item(SelectItem& item) {
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

// nvarchar[(n)], varchar[(n)] or int; CAST and CONVERT give a character type
// without a length 30 characters.
Conversion Grammar::conversion_type() {
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

// Only a call of one of the known functions with literal arguments; any other
// expression is valid T-SQL the stand-in does not evaluate.
FunctionCall Grammar::function_call() {
    if (current().kind != Kind::word) throw Unsupported{};
    const KnownFunction* function = known_function(current().text);
    if (!function) throw Unsupported{};
    FunctionCall call{to_upper(advance().text), {}, std::nullopt};
    if (function->niladic) return call;
    expect_symbol(u"(");
    if (!is_symbol(current(), u")")) {
        do {
            if (!at_literal()) throw Unsupported{};
            call.arguments.push_back(literal());
        } while (accept_symbol(u","));
    }
    expect_symbol(u")");
    if (call.arguments.size() < function->least || call.arguments.size() > function->most) throw Unsupported{};
    return call;
}

InsertStatement Grammar::insert() {
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
            // User tables here hold int and character columns only.
            if (current().kind == Kind::binary) throw Unsupported{};
            row.push_back(literal());
        } while (accept_symbol(u","));
        expect_symbol(u")");
        insert.rows.push_back(std::move(row));
    } while (accept_symbol(u","));
    finish();
    return insert;
}

DeleteStatement Grammar::remove() {
    DeleteStatement remove;
    accept_word(u"FROM");
    remove.table = object_name();
    remove.where = where_clause();
    finish();
    return remove;
}

CreateTableStatement Grammar::create_table() {
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

ColumnDefinition Grammar::column_definition() {
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

}  // namespace emulator
