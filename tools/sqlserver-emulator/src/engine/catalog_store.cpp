// The catalog file: a header record, then logins, then each database with
// its files, users and tables.
#include "catalog_store.h"

#include "datetime.h"
#include "password_hash.h"
#include "principals.h"
#include "record_io.h"

#include <fstream>
#include <stdexcept>

namespace emulator {
namespace {

constexpr char16_t header[] = u"sqlserver-emulator-catalog";
constexpr char16_t version[] = u"1";

std::u16string flag(bool on) { return on ? u"1" : u"0"; }

std::u16string optional_date(const std::optional<DateTime>& value) { return value ? datetime_text(*value) : u""; }

std::optional<DateTime> date_field(const std::u16string& field, const std::filesystem::path& file) {
    if (field.empty()) return std::nullopt;
    const auto value = parse_datetime(field);
    if (!value) throw std::runtime_error(file.string() + " holds a malformed date");
    return value;
}

Binary binary_field(const std::u16string& field, const std::filesystem::path& file) {
    auto bytes = field.starts_with(u"0x") ? parse_hex_digits(std::u16string_view(field).substr(2)) : std::nullopt;
    if (!bytes) throw std::runtime_error(file.string() + " holds a malformed binary value");
    return std::move(*bytes);
}

void write_login(std::ostream& out, const Login& login) {
    write_record(out, {u"login", login.name, to_u16(login.principal_id), hex_text(login.sid),
                       hex_text(login.password_hash), login.default_database, login.default_language,
                       flag(login.sysadmin), flag(login.disabled), flag(login.check_policy),
                       flag(login.check_expiration), optional_date(login.created), optional_date(login.modified)});
}

Login read_login(const Record& r, const std::filesystem::path& file) {
    Login login;
    login.name = r[1];
    login.principal_id = static_cast<int32_t>(number_field(r[2]));
    login.sid = binary_field(r[3], file);
    login.password_hash = binary_field(r[4], file);
    login.default_database = r[5];
    login.default_language = r[6];
    login.sysadmin = r[7] == u"1";
    login.disabled = r[8] == u"1";
    login.check_policy = r[9] == u"1";
    login.check_expiration = r[10] == u"1";
    login.created = date_field(r[11], file);
    login.modified = date_field(r[12], file);
    return login;
}

// Catalogs written before logins had SIDs kept the password itself.
Login read_first_form_login(const Record& r, int32_t principal_id, const ServerVersion& server) {
    Login login;
    login.name = r[1];
    login.principal_id = principal_id;
    login.sid = new_login_sid();
    login.password_hash = hash_password(r[2], server);
    login.default_database = r[3];
    login.sysadmin = r[4] == u"1";
    return login;
}

}  // namespace

void save_catalog(const Catalog& catalog, const std::filesystem::path& file) {
    const auto temporary = std::filesystem::path(file).concat(".tmp");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        write_record(out, {header, version});
        for (const auto& [name, login] : catalog.logins)
            if (!login.windows) write_login(out, login);
        for (const auto& [name, database] : catalog.databases) {
            write_record(out, {u"database", database.name, to_u16(database.dbid), optional_date(database.created),
                               hex_text(database.owner_sid), to_u16(static_cast<int32_t>(database.user_access)),
                               to_u16(database.compatibility_level)});
            for (const auto& f : database.files)
                write_record(out, {u"file", f.logical, f.filename, from_utf8(f.host_path.string()),
                                   f.kind == FileKind::data ? u"data" : u"log", to_u16(f.max_pages),
                                   to_u16(f.growth), f.growth_percent ? u"%" : u"pages"});
            for (const auto& [user_name, user] : database.users)
                write_record(out, {u"user", user.name, to_u16(user.principal_id), hex_text(user.sid),
                                   user.default_schema, optional_date(user.created)});
            write_tables(out, database.tables);
        }
        out.flush();
        if (!out) throw std::runtime_error("cannot write " + temporary.string());
    }
    std::filesystem::rename(temporary, file);
}

Catalog load_catalog(const std::filesystem::path& file, const ServerVersion& server) {
    Catalog catalog;
    std::ifstream in(file, std::ios::binary);
    if (!in) return catalog;
    const auto first = read_record(in);
    if (!first || first->size() != 2 || (*first)[0] != header || (*first)[1] != version)
        throw std::runtime_error(file.string() + " is not a catalog of this emulator");
    Database* current = nullptr;
    while (const auto record = read_record(in)) {
        const auto& r = *record;
        if (r[0] == u"login" && r.size() == 13) {
            catalog.logins[r[1]] = read_login(r, file);
        } else if (r[0] == u"login" && r.size() == 5) {
            catalog.logins[r[1]] = read_first_form_login(r, catalog.free_login_principal_id(), server);
        } else if (r[0] == u"database" && (r.size() == 3 || r.size() == 4 || r.size() == 7)) {
            // Catalogs written before creation dates, owners and user access
            // were kept have three or four fields.
            current = &catalog.databases[r[1]];
            current->name = r[1];
            current->dbid = static_cast<int32_t>(number_field(r[2]));
            if (r.size() >= 4) current->created = date_field(r[3], file);
            current->owner_sid = kSaSid;
            if (r.size() == 7) {
                current->owner_sid = binary_field(r[4], file);
                current->user_access = static_cast<UserAccess>(number_field(r[5]));
                current->compatibility_level = static_cast<int32_t>(number_field(r[6]));
            }
        } else if (r[0] == u"file" && (r.size() == 5 || r.size() == 8) && current) {
            // Files written before growth and limits were kept get the defaults.
            DatabaseFile f{r[1], r[2], std::filesystem::path(to_utf8(r[3])),
                           r[4] == u"log" ? FileKind::log : FileKind::data};
            f.max_pages = default_max_pages(f.kind);
            if (r.size() == 8) {
                f.max_pages = static_cast<int32_t>(number_field(r[5]));
                f.growth = static_cast<int32_t>(number_field(r[6]));
                f.growth_percent = r[7] == u"%";
            }
            current->files.push_back(std::move(f));
        } else if (r[0] == u"user" && r.size() == 6 && current) {
            current->users[r[1]] = DatabaseUser{r[1], static_cast<int32_t>(number_field(r[2])),
                                                binary_field(r[3], file), r[4], date_field(r[5], file)};
        } else if (!current || !read_table_record(r, current->tables)) {
            throw std::runtime_error(file.string() + " holds a malformed record");
        }
    }
    return catalog;
}

}  // namespace emulator
