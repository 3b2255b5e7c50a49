// The engine: logins and sessions, and the statement loop of a batch with its
// fault rules, delays and attention.
#include "engine.h"

#include "authentication.h"
#include "backup_restore.h"
#include "catalog_store.h"
#include "data_statements.h"
#include "database_access.h"
#include "database_options.h"
#include "database_statements.h"
#include "datetime.h"
#include "fault_rules.h"
#include "login_statements.h"
#include "long_operation.h"
#include "messages.h"
#include "parser.h"
#include "password_hash.h"
#include "principals.h"
#include "procedures.h"
#include "session_statements.h"
#include "session_termination.h"
#include "user_statements.h"

#include <mutex>
#include <stdexcept>

namespace emulator {
namespace {

Command command_of(const StatementBody& body) {
    if (std::holds_alternative<SelectStatement>(body)) return Command::select;
    if (std::holds_alternative<InsertStatement>(body)) return Command::insert;
    if (std::holds_alternative<DeleteStatement>(body)) return Command::remove;
    if (std::holds_alternative<CreateDatabaseStatement>(body)) return Command::create_database;
    if (std::holds_alternative<SetStatement>(body)) return Command::set;
    return Command::other;
}

}  // namespace

struct Engine::Impl {
    EngineOptions options;
    std::filesystem::path catalog_file;
    std::mutex mutex;
    Catalog catalog;
    int next_spid = 51;  // spids below 51 belong to the server's own processes
    std::vector<bool> spent_faults;  // the once rules that have fired
    DriveSpace drive_space;

    explicit Impl(EngineOptions engine_options)
        : options(std::move(engine_options)), drive_space(options.drives, options.free_mb) {
        std::filesystem::create_directories(options.state_dir);
        catalog_file = options.state_dir / "catalog.txt";
        const ServerVersion& version = options.product_version.version;
        catalog = load_catalog(catalog_file, version);
        add_system_databases(catalog);
        Login& sa = catalog.logins[u"sa"];
        sa.name = u"sa";
        sa.principal_id = kSaPrincipalId;
        sa.sid = kSaSid;
        sa.sysadmin = true;
        if (sa.password_hash.empty() || !password_matches(options.sa_password, sa.password_hash, version))
            sa.password_hash = hash_password(options.sa_password, version);
        if (!sa.created) sa.created = sa.modified = local_now();
        if (sa.default_database.empty() || !catalog.find_database(sa.default_database)) sa.default_database = u"master";
        for (const auto& name : options.instance.windows_logins) add_windows_login(name);
        save_catalog(catalog, catalog_file);
        settle_default_folders();
    }

    // Windows logins live for this run only; their SIDs, made from their
    // names, stay the same from run to run so that database users map again.
    void add_windows_login(const std::u16string& name) {
        Login& login = catalog.logins[name];
        login.name = name;
        login.principal_id = catalog.free_login_principal_id();
        login.sid = windows_account_sid(name);
        login.default_database = u"master";
        login.sysadmin = true;
        login.windows = true;
        login.created = login.modified = local_now();
    }

    // Without --default-data-path new databases go where master's files are.
    void settle_default_folders() {
        if (options.default_data_path.empty()) {
            const std::u16string& master_file = catalog.find_database(u"master")->files.front().filename;
            options.default_data_path = master_file.substr(0, master_file.find_last_of(u'\\') + 1);
        }
        if (options.default_log_path.empty()) options.default_log_path = options.default_data_path;
    }

    bool session_ended(int spid) {
        std::lock_guard lock(mutex);
        return catalog.session(spid).ended;
    }

    Outcome run(StatementContext& context, const Statement& statement) {
        return std::visit(
            [&](const auto& body) -> Outcome {
                using T = std::decay_t<decltype(body)>;
                if constexpr (std::is_same_v<T, SelectStatement>) return run_select(context, body, statement.text);
                else if constexpr (std::is_same_v<T, InsertStatement>) return run_insert(context, body);
                else if constexpr (std::is_same_v<T, DeleteStatement>) return run_delete(context, body, statement.text);
                else if constexpr (std::is_same_v<T, CreateTableStatement>) return run_create_table(context, body);
                else if constexpr (std::is_same_v<T, CreateDatabaseStatement>) return run_create_database(context, body);
                else if constexpr (std::is_same_v<T, DropDatabaseStatement>) return run_drop_database(context, body);
                else if constexpr (std::is_same_v<T, UseStatement>) return run_use(context, body);
                else if constexpr (std::is_same_v<T, SetStatement>) return run_set(context, body);
                else if constexpr (std::is_same_v<T, ExecStatement>) return run_procedure(context, body, statement.text);
                else if constexpr (std::is_same_v<T, BackupStatement>) return run_backup(context, body, statement.text);
                else if constexpr (std::is_same_v<T, RestoreStatement>) return run_restore(context, body);
                else if constexpr (std::is_same_v<T, BackupInformationStatement>) return run_backup_information(context, body);
                else if constexpr (std::is_same_v<T, CreateLoginStatement>) return run_create_login(context, body, statement.text);
                else if constexpr (std::is_same_v<T, AlterLoginStatement>) return run_alter_login(context, body, statement.text);
                else if constexpr (std::is_same_v<T, DropLoginStatement>) return run_drop_login(context, body);
                else if constexpr (std::is_same_v<T, AlterServerRoleStatement>) return run_alter_server_role(context, body, statement.text);
                else if constexpr (std::is_same_v<T, CreateUserStatement>) return run_create_user(context, body);
                else if constexpr (std::is_same_v<T, DropUserStatement>) return run_drop_user(context, body);
                else if constexpr (std::is_same_v<T, AlterDatabaseStatement>) return run_alter_database(context, body);
                else if constexpr (std::is_same_v<T, ModifyFileStatement>) return run_modify_file(context, body);
                else if constexpr (std::is_same_v<T, KillStatement>) return run_kill(context, body);
                else if constexpr (std::is_same_v<T, MalformedBatch>) fail(server_message(102, {.name = body.near}));
                else fail(not_supported(statement.text));
            },
            statement.body);
    }

    // Runs one statement under the lock; false when the batch must stop.
    bool execute(int spid, const Statement& statement, std::chrono::milliseconds delay, ResponseSink& sink) {
        const Command command = command_of(statement.body);
        std::unique_lock lock(mutex);
        StatementContext context{catalog,
                                 lock,
                                 options,
                                 drive_space,
                                 spid,
                                 sink,
                                 [this] { save_catalog(catalog, catalog_file); },
                                 delay};
        try {
            const Outcome outcome = run(context, statement);
            if (outcome.interrupted) return false;
            sink.statement_done(false, outcome.row_count, command);
        } catch (const StatementError& error) {
            for (const auto& message : error.messages) sink.message(message);
            sink.statement_done(true, std::nullopt, command);
        } catch (const std::exception& error) {
            // A host failure (disk full, unreadable state) still reaches the client.
            ServerMessage message;
            message.number = 50000;
            message.text = u"The SQL Server emulator failed: " + from_utf8(error.what());
            sink.message(message);
            sink.statement_done(true, std::nullopt, command);
        }
        return true;
    }
};

Engine::Engine(EngineOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {}

Engine::~Engine() = default;

std::variant<LoginAccepted, LoginRefused> Engine::login(const LoginRequest& request, const LoginChannel& channel) {
    std::lock_guard lock(impl_->mutex);
    Catalog& catalog = impl_->catalog;
    if (auto refusal = refused_by_authentication(catalog, impl_->options.instance, request.user, channel))
        return *refusal;
    const Login* login = catalog.find_login(request.user);
    const ServerMessage refused = server_message(18456, {.name = request.user});
    const ServerVersion& version = impl_->options.product_version.version;
    if (!login || (!channel.windows_authenticated && !password_matches(request.password, login->password_hash, version)))
        return LoginRefused{{refused}};
    // Only the right password learns that the account is disabled.
    if (login->disabled) {
        const ServerMessage disabled = server_message(18470, {.name = request.user});
        return LoginRefused{{disabled}, disabled};
    }

    const int spid = impl_->next_spid;
    const std::u16string& wanted = request.database.empty() ? login->default_database : request.database;
    Database* database = catalog.find_database(wanted);
    if (!database || catalog.is_restoring(database->name) || entry_refusal(*login, *database, spid)) {
        if (request.database.empty()) return LoginRefused{{server_message(4064), refused}};
        return LoginRefused{{server_message(4060, {.name = request.database}), refused}};
    }
    ++impl_->next_spid;
    ConnectionInfo connection = channel.connection;
    connection.auth_scheme = channel.windows_authenticated ? u"NTLM" : u"SQL";
    catalog.sessions[spid] = Session{spid, login->name, database->name, request.odbc_behaviour, connection};
    enter_database(*database, spid);
    return LoginAccepted{spid, database->name};
}

void Engine::close_session(int spid) {
    std::lock_guard lock(impl_->mutex);
    release_holds(impl_->catalog, spid);
    impl_->catalog.sessions.erase(spid);
}

void Engine::on_session_ended(int spid, std::function<void()> end_connection) {
    std::lock_guard lock(impl_->mutex);
    Session& session = impl_->catalog.session(spid);
    session.end_connection = std::move(end_connection);
    if (session.ended) session.end_connection();
}

const ProductVersion& Engine::product_version() const { return impl_->options.product_version; }

BatchEnd Engine::execute_batch(int spid, const std::u16string& sql, ResponseSink& sink) {
    bool quoted_identifier = false;
    {
        std::lock_guard lock(impl_->mutex);
        quoted_identifier = impl_->catalog.session(spid).quoted_identifier;
    }
    std::vector<Statement> statements;
    try {
        statements = parse_batch(sql, quoted_identifier);
    } catch (const SyntaxError& error) {
        statements = {Statement{MalformedBatch{error.near}, sql}};
    }

    for (const auto& statement : statements) {
        const MatchedFaults faults = [&] {
            std::lock_guard lock(impl_->mutex);
            return match_faults(impl_->options.faults, impl_->spent_faults, statement.text);
        }();
        if (faults.drop || impl_->session_ended(spid)) return BatchEnd::drop_connection;
        if (faults.drop_after) {
            // The statement's answer is lost on the way: the server did the work.
            SilentSink silent(sink);
            impl_->execute(spid, statement, std::chrono::milliseconds(0), silent);
            return BatchEnd::drop_connection;
        }
        // A backup or restore that runs spreads its delay over its progress; anything else waits first.
        const bool copies_files = std::holds_alternative<RestoreStatement>(statement.body) ||
                                  std::holds_alternative<BackupStatement>(statement.body);
        const bool spread_delay = copies_files && !faults.fail_number;
        if (faults.delay.count() > 0 && !spread_delay && !wait_unless_attention(faults.delay, sink))
            return BatchEnd::completed;
        if (faults.fail_number) {
            for (const auto& message : fault_messages(*faults.fail_number, statement)) sink.message(message);
            sink.statement_done(true, std::nullopt, command_of(statement.body));
            continue;
        }
        if (!impl_->execute(spid, statement, spread_delay ? faults.delay : std::chrono::milliseconds(0), sink))
            return BatchEnd::completed;
    }
    return BatchEnd::completed;
}

void Engine::save() {
    std::lock_guard lock(impl_->mutex);
    save_catalog(impl_->catalog, impl_->catalog_file);
}

}  // namespace emulator
