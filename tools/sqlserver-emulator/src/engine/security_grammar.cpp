// The grammar of security statements: CREATE, ALTER and DROP LOGIN, ALTER
// SERVER ROLE, CREATE and DROP USER, and KILL.
#include "grammar.h"

#include "text.h"

namespace emulator {
namespace {

using Kind = Token::Kind;

}  // namespace

// CREATE LOGIN name WITH PASSWORD = ... [, option ...]. FROM WINDOWS,
// CERTIFICATE or ASYMMETRIC KEY, MUST_CHANGE and CREDENTIAL are not
// implemented.
CreateLoginStatement Grammar::create_login() {
    CreateLoginStatement login{name(), {}};
    if (!accept_word(u"WITH")) throw Unsupported{};
    if (!is_word(current(), u"PASSWORD")) syntax_error();
    do {
        login_option(login.options, true);
    } while (accept_symbol(u","));
    finish();
    return login;
}

// ALTER LOGIN name ENABLE | DISABLE | WITH option [, option ...]; NAME,
// OLD_PASSWORD, UNLOCK and the credential forms are not implemented.
AlterLoginStatement Grammar::alter_login() {
    AlterLoginStatement alter{name()};
    if (accept_word(u"ENABLE")) {
        alter.enable = true;
    } else if (accept_word(u"DISABLE")) {
        alter.enable = false;
    } else if (accept_word(u"WITH")) {
        do {
            login_option(alter.options, false);
        } while (accept_symbol(u","));
    } else {
        throw Unsupported{};
    }
    finish();
    return alter;
}

// PASSWORD = 'password' | 0x... HASHED, SID = 0x... (CREATE LOGIN only),
// DEFAULT_DATABASE, DEFAULT_LANGUAGE, CHECK_EXPIRATION, CHECK_POLICY.
void Grammar::login_option(LoginOptions& options, bool creating) {
    if (current().kind != Kind::word) syntax_error();
    const std::u16string option = to_upper(advance().text);
    expect_symbol(u"=");
    if (option == u"PASSWORD") {
        if (current().kind == Kind::binary) {
            options.password = binary_literal();
            expect_word(u"HASHED");
        } else {
            if (!is_string_token(current())) throw Unsupported{};
            options.password = string_literal();
        }
    } else if (option == u"SID" && creating) {
        options.sid = binary_literal();
    } else if (option == u"DEFAULT_DATABASE") {
        options.default_database = name();
    } else if (option == u"DEFAULT_LANGUAGE") {
        options.default_language = name();
    } else if (option == u"CHECK_EXPIRATION") {
        options.check_expiration = on_or_off();
    } else if (option == u"CHECK_POLICY") {
        options.check_policy = on_or_off();
    } else {
        throw Unsupported{};
    }
}

// DROP LOGIN name or DROP USER name.
StatementBody Grammar::drop_principal() {
    StatementBody body;
    if (accept_word(u"LOGIN")) body = DropLoginStatement{name()};
    else if (accept_word(u"USER")) body = DropUserStatement{name()};
    else throw Unsupported{};
    finish_strictly();
    return body;
}

// ALTER SERVER ROLE role ADD | DROP MEMBER login.
AlterServerRoleStatement Grammar::alter_server_role() {
    expect_word(u"ROLE");
    AlterServerRoleStatement alter{name()};
    if (accept_word(u"DROP")) alter.add = false;
    else if (!accept_word(u"ADD")) throw Unsupported{};  // WITH NAME = ...
    expect_word(u"MEMBER");
    alter.member = name();
    finish_strictly();
    return alter;
}

// CREATE USER name [FOR | FROM LOGIN login] [WITH DEFAULT_SCHEMA = schema];
// users without a login, for certificates and keys, and contained users are
// not implemented.
CreateUserStatement Grammar::create_user() {
    CreateUserStatement create{name()};
    if (accept_word(u"FOR") || accept_word(u"FROM")) {
        if (!accept_word(u"LOGIN")) throw Unsupported{};
        create.login = name();
    }
    if (accept_word(u"WITH")) {
        if (!accept_word(u"DEFAULT_SCHEMA")) throw Unsupported{};
        expect_symbol(u"=");
        create.default_schema = name();
    }
    finish();
    return create;
}

// KILL session_id; KILL 'UOW' and WITH STATUSONLY are not implemented.
KillStatement Grammar::kill() {
    if (current().kind != Kind::number) throw Unsupported{};
    KillStatement kill{integer()};
    finish();
    return kill;
}

}  // namespace emulator
