// CREATE, ALTER and DROP LOGIN and ALTER SERVER ROLE, for SQL Server logins,
// and the steps the login procedures share with them.
#pragma once

#include "statement_context.h"
#include "statements.h"

namespace emulator {

// Refuse a Windows login name and a language other than us_english as not
// supported, naming `statement_text`.
Outcome run_create_login(StatementContext& context, const CreateLoginStatement& create,
                         const std::u16string& statement_text);
Outcome run_alter_login(StatementContext& context, const AlterLoginStatement& alter,
                        const std::u16string& statement_text);
Outcome run_drop_login(StatementContext& context, const DropLoginStatement& drop);
// Only sysadmin's members can change; another role is not supported.
Outcome run_alter_server_role(StatementContext& context, const AlterServerRoleStatement& alter,
                              const std::u16string& statement_text);

// Stores a login whose checks have passed, giving it its principal_id and
// dates, and saves the catalog.
void add_login(StatementContext& context, Login login);

// Drops a login after SQL Server's checks: sa (15405), a login in use (15434)
// or owning a database (15174). `missing` is sent for a login that does not
// exist; the messages name `procedure` when one raises them.
void drop_login(StatementContext& context, const std::u16string& name, const ServerMessage& missing,
                const std::u16string& procedure);

// Adds the login to sysadmin or takes it out; sa stays in (15405). `missing`
// is sent for a login that does not exist.
void set_sysadmin(StatementContext& context, const std::u16string& name, bool member, const ServerMessage& missing,
                  const std::u16string& procedure);

}  // namespace emulator
