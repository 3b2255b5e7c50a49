// The grammar of the statements the stand-in runs: one recursive-descent
// reader over a batch's tokens, its rules spread over files by the kind of
// statement they read.
#pragma once

#include "parser.h"
#include "statements.h"
#include "token_cursor.h"

#include <string>
#include <vector>

namespace emulator {

class Grammar : private TokenCursor {
public:
    using TokenCursor::TokenCursor;

    std::vector<Statement> run();

private:
    // parser.cpp: statements, SET and EXEC.
    Statement statement(bool first_in_batch);
    StatementBody statement_body(bool first_in_batch);
    SetStatement set();
    void set_switches(const std::u16string& first, SetStatement& set);
    ExecStatement exec();
    bool on_or_off();

    // query_grammar.cpp: SELECT, INSERT, DELETE, CREATE TABLE.
    Operand operand();
    std::vector<Comparison> where_clause();
    SelectStatement select();
    SelectItem select_item();
    bool at_call() const;
    void converted_item(SelectItem& item);
    Conversion conversion_type();
    FunctionCall function_call();
    InsertStatement insert();
    DeleteStatement remove();
    CreateTableStatement create_table();
    ColumnDefinition column_definition();

    // database_grammar.cpp: CREATE and ALTER DATABASE, BACKUP, RESTORE.
    CreateDatabaseStatement create_database();
    std::vector<FileSpec> file_specs();
    FileSpec file_spec();
    int64_t unit_multiplier();
    std::u16string disk_device();
    BackupStatement backup();
    void backup_option(BackupStatement& backup);
    StatementBody restore();
    BackupInformationStatement backup_information(BackupInformationStatement::Kind kind);
    void restore_option(RestoreStatement& restore);
    int64_t file_size();
    StatementBody alter_database();

    // security_grammar.cpp: logins, server roles, users, KILL.
    CreateLoginStatement create_login();
    AlterLoginStatement alter_login();
    StatementBody drop_principal();
    AlterServerRoleStatement alter_server_role();
    CreateUserStatement create_user();
    void login_option(LoginOptions& options, bool creating);
    KillStatement kill();
};

}  // namespace emulator
