// CREATE LOGIN with SQL Server's checks: the options' combination, an
// existing principal, the default database, and the password policy.
#include "login_statements.h"

#include "messages.h"
#include "password_policy.h"

namespace emulator {

Outcome run_create_login(StatementContext& context, const CreateLoginStatement& create,
                         const std::u16string& statement_text) {
    // A name with a backslash is a Windows login, which comes FROM WINDOWS.
    if (create.name.find(u'\\') != std::u16string::npos) fail(not_supported(statement_text));
    if (create.check_expiration && !create.check_policy) fail(server_message(15122));
    if (context.catalog.find_login(create.name)) fail(server_message(15025, {.name = create.name}));
    // The stand-in speaks only us_english (also called English).
    if (create.default_language && !equals_ci(*create.default_language, u"us_english") &&
        !equals_ci(*create.default_language, u"English"))
        fail(not_supported(statement_text));
    // CREATE LOGIN refuses a default database that does not exist (logins
    // copied by dbatools' Copy-DbaLogin to a server without it fail for that
    // reason); the number it raises is not documented, so it answers as
    // sp_addlogin does.
    const std::u16string database_name = create.default_database.value_or(u"master");
    const Database* database = context.catalog.find_database(database_name);
    if (!database) fail(server_message(15010, {.name = database_name}));
    if (context.options.password_policy && create.check_policy)
        if (const auto violation = password_policy_violation(create.name, create.password))
            fail(server_message(*violation));
    // CHECK_EXPIRATION = ON is kept as a promise the stand-in never has to
    // keep: passwords expire after 42 days by default, longer than any run.
    context.catalog.logins[create.name] = Login{create.name, create.password, database->name, false};
    context.save();
    return {};
}

}  // namespace emulator
