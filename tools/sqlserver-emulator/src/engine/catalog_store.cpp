// The catalog file: a header record, then logins, then each database with
// its files and tables.
#include "catalog_store.h"

#include "datetime.h"
#include "record_io.h"

#include <fstream>
#include <stdexcept>

namespace emulator {
namespace {

constexpr char16_t header[] = u"sqlserver-emulator-catalog";
constexpr char16_t version[] = u"1";

}  // namespace

void save_catalog(const Catalog& catalog, const std::filesystem::path& file) {
    const auto temporary = std::filesystem::path(file).concat(".tmp");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        write_record(out, {header, version});
        for (const auto& [name, login] : catalog.logins)
            if (!login.windows)
                write_record(out, {u"login", login.name, login.password, login.default_database,
                                   login.sysadmin ? u"1" : u"0"});
        for (const auto& [name, database] : catalog.databases) {
            write_record(out, {u"database", database.name, to_u16(database.dbid),
                               database.created ? datetime_text(*database.created) : u""});
            for (const auto& f : database.files)
                write_record(out, {u"file", f.logical, f.filename, from_utf8(f.host_path.string()),
                                   f.kind == FileKind::data ? u"data" : u"log", to_u16(f.max_pages),
                                   to_u16(f.growth), f.growth_percent ? u"%" : u"pages"});
            write_tables(out, database.tables);
        }
        out.flush();
        if (!out) throw std::runtime_error("cannot write " + temporary.string());
    }
    std::filesystem::rename(temporary, file);
}

Catalog load_catalog(const std::filesystem::path& file) {
    Catalog catalog;
    std::ifstream in(file, std::ios::binary);
    if (!in) return catalog;
    const auto first = read_record(in);
    if (!first || first->size() != 2 || (*first)[0] != header || (*first)[1] != version)
        throw std::runtime_error(file.string() + " is not a catalog of this emulator");
    Database* current = nullptr;
    while (const auto record = read_record(in)) {
        const auto& r = *record;
        if (r[0] == u"login" && r.size() == 5) {
            catalog.logins[r[1]] = Login{r[1], r[2], r[3], r[4] == u"1"};
        } else if (r[0] == u"database" && (r.size() == 3 || r.size() == 4)) {
            // Catalogs written before creation dates were kept have three fields.
            current = &catalog.databases[r[1]];
            current->name = r[1];
            current->dbid = static_cast<int32_t>(number_field(r[2]));
            if (r.size() == 4 && !r[3].empty()) {
                current->created = parse_datetime(r[3]);
                if (!current->created) throw std::runtime_error(file.string() + " holds a malformed date");
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
        } else if (!current || !read_table_record(r, current->tables)) {
            throw std::runtime_error(file.string() + " holds a malformed record");
        }
    }
    return catalog;
}

}  // namespace emulator
