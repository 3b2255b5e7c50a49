// The pre-flight: after connecting and before the old database is even
// looked for, everything that can be known about the install is asked of
// the server, first what needs no template (so that bad news comes in
// seconds), then what the template holds, read where it lies or staged.
// Nothing on the server changes here; the first problem ends the run with a
// refusal.
#include "install/install_run.h"
#include "install/phases/phases.h"
#include "install/preflight/login_checks.h"
#include "install/preflight/refusal.h"
#include "install/preflight/release_rules.h"
#include "install/preflight/template_fit.h"
#include "install/preflight/template_source.h"
#include "install/preparation/route_for_tills.h"
#include "install/recovery/change_record.h"
#include "install/recovery/run_record.h"

#include "app/install_settings.h"
#include "platform/character_class.h"
#include "platform/machine.h"
#include "platform/odbc/transaction.h"
#include "install/preflight/preflight_rules.h"
#include "install/record/run_journal.h"
#include "install/server/server_lookups.h"
#include "install/server/statements.h"

namespace install {

namespace {

using platform::QueryResult;
using platform::Transaction;

class Preflight {
public:
    explicit Preflight(InstallRun& run)
        : run_(run), sqlca_(run.context.sqlca), database_(run.context.settings.is_dbname),
          data_path_(run.context.form.data_path())
    {
    }

    std::optional<Refusal> run()
    {
        for (auto check : {&Preflight::administrator_rights, &Preflight::same_machine, &Preflight::route_for_tills,
                           &Preflight::data_folder,
                           &Preflight::new_files_free, &Preflight::application_login, &Preflight::template_source,
                           &Preflight::template_backup, &Preflight::template_files, &Preflight::edition_size_limit,
                           &Preflight::disk_room, &Preflight::run_record}) {
            if (std::optional<Refusal> refusal = (this->*check)())
                return refusal;
        }
        return std::nullopt;
    }

private:
    std::optional<Refusal> administrator_rights()
    {
        std::wstring member;
        sqlca_.select_single(statements::is_sysadmin_query, {}, member);
        if (sqlca_.status_code() == Transaction::failure)
            return unanswered(sqlca_);
        if (member == L"1")
            return std::nullopt;
        return Refusal{L"登录名“" + run_.context.form.admin_login() + L"”不是 sysadmin 服务器角色的成员。",
                       L"请用系统管理员（sysadmin）的登录名安装。"};
    }

    // The template (or its staged copy) is read by the server from its own
    // disk, and the data path names a folder there: both only mean what they
    // say when the server runs on this computer.
    std::optional<Refusal> same_machine()
    {
        QueryResult identity;
        sqlca_.select_rows(statements::server_identity_query, {}, identity);
        if (sqlca_.status_code() == Transaction::failure || identity.rows.empty() || identity.rows[0].size() < 3)
            return unanswered(sqlca_);
        const QueryResult::Row& row = identity.rows[0];
        const std::optional<ServerVersion> version = parse_server_version(row[2].value_or(L""));
        if (!version)
            return Refusal{L"数据库服务器没有报告它的版本。", L"请确认服务器名称指向 Microsoft SQL Server。"};
        run_.server_version = *version;
        run_.report.server_version = *version;

        const std::wstring here = platform::computer_name();
        const std::wstring machine = row[0].value_or(L"");
        const std::wstring physical = row[1].value_or(L"");
        if (run_.context.journal)
            run_.context.journal->note(L"server " + run_.context.form.server_name() + L": SQL Server " +
                                       row[2].value_or(L"") + L" on " + (physical.empty() ? machine : physical));
        if (platform::same_text_ignoring_case(machine, here) || platform::same_text_ignoring_case(physical, here))
            return std::nullopt;
        return Refusal{L"数据库服务器运行在计算机“" + (physical.empty() ? machine : physical) + L"”上，不在本机“" +
                           here + L"”上。",
                       L"安装程序必须在数据库服务器所在的计算机上运行：请到那台计算机上运行本程序。"};
    }

    // The server's registry keys and services are only this computer's when it runs here.
    std::optional<Refusal> route_for_tills() { return prepare_route_for_tills(run_); }

    std::optional<Refusal> data_folder()
    {
        std::optional<FileExistence> found;
        if (!find_server_file(sqlca_, data_path_, found) || !found)
            return unanswered(sqlca_);
        if (found->directory)
            return std::nullopt;
        if (found->file)
            return Refusal{L"数据库服务器上的“" + data_path_ + L"”是一个文件，不是文件夹。",
                           L"请选择一个文件夹作为软件数据安装路径。"};
        return Refusal{L"数据库服务器上没有文件夹“" + data_path_ + L"”。",
                       L"请先在服务器上建立这个文件夹，或选择已有的文件夹作为软件数据安装路径。"};
    }

    // The new database's files may stand where the old database keeps its
    // own (the drop removes them), nowhere else.
    std::optional<Refusal> new_files_free()
    {
        QueryResult old_files;
        sqlca_.select_rows(statements::database_files_query, {database_}, old_files);
        if (sqlca_.status_code() == Transaction::failure)
            return unanswered(sqlca_);
        run_.old_database_files = database_files(old_files);
        run_.old_database_found = !run_.old_database_files.empty();

        for (const std::wstring& file :
             {statements::new_data_file(database_, data_path_), statements::new_log_file(database_, data_path_)}) {
            std::optional<FileExistence> found;
            if (!find_server_file(sqlca_, file, found) || !found)
                return unanswered(sqlca_);
            if ((found->file || found->directory) && !belongs_to_old_database(file))
                return Refusal{L"数据库服务器上已经有“" + file + L"”，它不属于原有的数据库 " + database_ + L"。",
                               L"请移走它，或选择另一个软件数据安装路径。"};
        }
        return std::nullopt;
    }

    // Read where it lies when the server can open it there, else staged first.
    std::optional<Refusal> template_source() { return find_template_source(run_, template_header_); }

    std::optional<Refusal> template_backup()
    {
        const std::optional<BackupSet> set = first_backup_set(template_header_);
        if (set)
            run_.template_written_by = set->written_by;
        if (!set || set->backup_type != 1)
            return Refusal{L"模板数据库文件“" + run_.context.form.template_file() + L"”的第一个备份集不是完整的数据库备份。",
                           L"请确认选择的是模板数据库备份文件。"};
        if (set->written_by)
            return template_release_fits(*set->written_by, run_.server_version);
        return std::nullopt;
    }

    std::optional<Refusal> template_files()
    {
        QueryResult file_list;
        sqlca_.select_rows(statements::backup_file_list_query(run_.restore_source), {}, file_list);
        if (sqlca_.status_code() == Transaction::failure)
            return unanswered(sqlca_);
        run_.template_files = backup_files(file_list);
        if (holds_template_files(run_.template_files))
            return std::nullopt;
        return Refusal{L"模板数据库应当只含有逻辑文件 mirvox_data 和 mirvox_log，它含有的是：" +
                           logical_names(run_.template_files) + L"。",
                       L"请确认选择的是 " + run_.context.app_name + L" 的模板数据库文件。"};
    }

    std::optional<Refusal> application_login() { return check_application_login(run_); }

    std::optional<Refusal> edition_size_limit()
    {
        std::wstring edition;
        sqlca_.select_single(statements::engine_edition_query, {}, edition);
        if (sqlca_.status_code() == Transaction::failure)
            return unanswered(sqlca_);
        return template_fits_edition(edition == std::to_wstring(express_engine_edition), run_.server_version,
                                     run_.template_files);
    }

    std::optional<Refusal> disk_room()
    {
        QueryResult drives;
        sqlca_.select_rows(statements::fixed_drives_query, {}, drives);
        if (sqlca_.status_code() == Transaction::failure)
            return unanswered(sqlca_);
        // A path the server does not list as a fixed drive (a share, a
        // mount point) cannot be measured; the server will say when it fills.
        const std::optional<int64_t> free = free_megabytes(drives, data_path_);
        const bool safety_backup = run_.context.take_safety_backup && !run_.old_database_files.empty();
        const int64_t needed =
            whole_megabytes(bytes_needed(run_.template_files, run_.old_database_files, safety_backup));
        run_.data_drive_free_megabytes = free;
        run_.megabytes_needed = needed;
        if (!free)
            return std::nullopt;
        if (needed <= *free)
            return std::nullopt;
        return Refusal{L"数据库服务器的 " + data_path_.substr(0, 2) + L" 盘空间不够：需要 " + std::to_wstring(needed) +
                           L" MB，只有 " + std::to_wstring(*free) + L" MB 可用。",
                       L"请在这个盘上腾出空间，或选择另一个盘上的软件数据安装路径。"};
    }

    // Before the first change the run must be able to write down what it changes.
    std::optional<Refusal> run_record()
    {
        // A dry run changes nothing, so it leaves no record behind.
        if (run_.context.dry_run || record_changes(run_))
            return std::nullopt;
        return Refusal{run_.failure_cause->error_text,
                       L"请以管理员身份运行本程序，并确认 " + run_record_file() + L" 所在的文件夹可以写入。"};
    }

    bool belongs_to_old_database(const std::wstring& path) const
    {
        for (const DatabaseFile& file : run_.old_database_files)
            if (same_server_file(file.physical_name, path))
                return true;
        return false;
    }

    InstallRun& run_;
    Transaction& sqlca_;
    const std::wstring& database_;
    const std::wstring data_path_;
    QueryResult template_header_;
};

}  // namespace

PhaseEnd run_preflight(InstallRun& run)
{
    run.log.LogPhase(L"检查安装条件...");
    if (std::optional<Refusal> refusal = Preflight(run).run())
        return refuse_install(run, *refusal);
    return std::nullopt;
}

}  // namespace install
