// Look-ups over the catalog and the system databases of a fresh server.
#include "catalog.h"

#include "principals.h"

#include <algorithm>
#include <set>
#include <stdexcept>

namespace emulator {

Database* Catalog::find_database(const std::u16string& name) {
    const auto found = databases.find(name);
    return found == databases.end() ? nullptr : &found->second;
}

Login* Catalog::find_login(const std::u16string& name) {
    const auto found = logins.find(name);
    return found == logins.end() ? nullptr : &found->second;
}

Login* Catalog::find_login_by_sid(const Binary& sid) {
    for (auto& [name, login] : logins)
        if (login.sid == sid) return &login;
    return nullptr;
}

Session& Catalog::session(int spid) {
    const auto found = sessions.find(spid);
    if (found == sessions.end()) throw std::logic_error("no open session " + std::to_string(spid));
    return found->second;
}

bool Catalog::database_in_use(const std::u16string& name, int except) const {
    return !sessions_in(name, except).empty();
}

std::vector<int> Catalog::sessions_in(const std::u16string& name, int except) const {
    std::vector<int> spids;
    for (const auto& [spid, session] : sessions)
        if (spid != except && !session.ended && equals_ci(session.database, name)) spids.push_back(spid);
    return spids;
}

const Database* Catalog::owner_of_file(const std::filesystem::path& host_path, const std::u16string& except) const {
    const auto wanted = std::filesystem::weakly_canonical(host_path);
    for (const auto& [name, database] : databases) {
        if (equals_ci(name, except)) continue;
        for (const auto& file : database.files)
            if (!file.host_path.empty() && std::filesystem::weakly_canonical(file.host_path) == wanted)
                return &database;
    }
    return nullptr;
}

std::vector<int32_t> file_ids(const std::vector<DatabaseFile>& files) {
    std::vector<int32_t> ids(files.size(), 0);
    int32_t next = 3;
    bool data_seen = false;
    bool log_seen = false;
    for (size_t i = 0; i < files.size(); ++i) {
        bool& seen = files[i].kind == FileKind::data ? data_seen : log_seen;
        ids[i] = seen ? next++ : (files[i].kind == FileKind::data ? 1 : 2);
        seen = true;
    }
    return ids;
}

int32_t Catalog::free_dbid() const {
    std::set<int32_t> used;
    for (const auto& [name, database] : databases) used.insert(database.dbid);
    int32_t dbid = 5;  // 1 to 4 belong to the system databases
    while (used.count(dbid)) ++dbid;
    return dbid;
}

int32_t Catalog::free_login_principal_id() const {
    // Below 256 are sa, the fixed server roles and the logins SQL Server
    // makes for its own certificates.
    int32_t id = 256;
    for (const auto& [name, login] : logins) id = std::max(id, login.principal_id + 1);
    return id;
}

void add_system_databases(Catalog& catalog) {
    static constexpr const char16_t* folder = u"C:\\Program Files\\Microsoft SQL Server\\MSSQL\\data\\";
    const struct {
        const char16_t* name;
        int32_t dbid;
        const char16_t* data_logical;
        const char16_t* data_file;
        const char16_t* log_logical;
        const char16_t* log_file;
    } system[] = {
        {u"master", 1, u"master", u"master.mdf", u"mastlog", u"mastlog.ldf"},
        {u"tempdb", 2, u"tempdev", u"tempdb.mdf", u"templog", u"templog.ldf"},
        {u"model", 3, u"modeldev", u"model.mdf", u"modellog", u"modellog.ldf"},
        {u"msdb", 4, u"MSDBData", u"MSDBData.mdf", u"MSDBLog", u"MSDBLog.ldf"},
    };
    for (const auto& entry : system) {
        if (catalog.find_database(entry.name)) continue;
        Database database;
        database.name = entry.name;
        database.dbid = entry.dbid;
        database.files = {
            {entry.data_logical, folder + std::u16string(entry.data_file), {}, FileKind::data, unlimited_pages,
             default_growth_pages, false},
            {entry.log_logical, folder + std::u16string(entry.log_file), {}, FileKind::log, log_limit_pages,
             default_growth_pages, false},
        };
        database.owner_sid = kSaSid;
        catalog.databases.emplace(database.name, std::move(database));
    }
}

bool is_system_database(const std::u16string& name) {
    return equals_ci(name, u"master") || equals_ci(name, u"tempdb") || equals_ci(name, u"model") ||
           equals_ci(name, u"msdb");
}

}  // namespace emulator
