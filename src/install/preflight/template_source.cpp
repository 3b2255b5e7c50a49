// Reading the template where it lies, or staging it when the server cannot.
#include "install/preflight/template_source.h"

#include "install/install_run.h"
#include "install/preflight/preflight_rules.h"
#include "install/preflight/staging.h"
#include "install/record/run_journal.h"
#include "install/run_interruption.h"
#include "install/server/statements.h"
#include "platform/files.h"
#include "platform/odbc/transaction.h"

#include <cwctype>

namespace install {

namespace {

using platform::QueryResult;
using platform::Transaction;

// "Cannot open backup device": the server could not open the file at all,
// as against reading it and finding it no backup.
constexpr long cannot_open_backup_device = 3201;
constexpr int64_t megabyte = int64_t{1} << 20;

bool read_header(Transaction& sqlca, const std::wstring& device, QueryResult& header)
{
    header = {};
    sqlca.select_rows(statements::backup_header_query(device), {}, header);
    return sqlca.status_code() != Transaction::failure;
}

Refusal unreadable_backup(const InstallRun& run)
{
    return {L"数据库服务器不能读取模板数据库文件“" + run.context.form.template_file() + L"”：" +
                run.context.sqlca.error_text(),
            L"请确认选择的是完好的模板数据库备份文件。"};
}

void note(const InstallRun& run, const std::wstring& text)
{
    if (run.context.journal)
        run.context.journal->note(text);
}

// The copy needs the template's size free on the staging path's drive; a
// drive that cannot be measured is left to the copy, which says when it fills.
std::optional<Refusal> room_for_the_copy(const InstallRun& run)
{
    const std::optional<uint64_t> free = platform::free_disk_bytes(run.staging_path.substr(0, 3));
    const std::optional<uint64_t> needed = run.held_template->size();
    if (!free || !needed || *needed <= *free)
        return std::nullopt;
    const std::wstring drive{static_cast<wchar_t>(std::towupper(run.staging_path[0])), L':'};
    return Refusal{L"本机的 " + drive + L" 盘空间不够暂存模板数据库：需要 " +
                       std::to_wstring(whole_megabytes(static_cast<int64_t>(*needed))) + L" MB，只有 " +
                       std::to_wstring(static_cast<int64_t>(*free) / megabyte) + L" MB 可用。",
                   L"请在 " + drive + L" 盘上腾出空间，或把模板数据库文件放到数据库服务器的服务帐户可以读取的本机文件夹里。"};
}

std::optional<Refusal> stage(InstallRun& run)
{
    if (std::optional<Refusal> refusal = room_for_the_copy(run))
        return refusal;
    if (std::optional<std::wstring> failure = stage_template(run)) {
        if (stop_requested())
            return Refusal{L"安装已按要求停止。", L"需要时可以再运行本程序。"};
        return Refusal{L"不能写文件到磁盘。不能把“" + run.context.form.template_file() + L"”复制到“" +
                           run.staging_path + L"”：" + *failure,
                       L"请确认模板数据库文件可以读取，并且 C 盘有足够的空间。"};
    }
    return std::nullopt;
}

}  // namespace

std::optional<Refusal> find_template_source(InstallRun& run, QueryResult& header)
{
    const std::wstring& chosen = run.context.form.template_file();
    if (platform::same_path(chosen, run.staging_path))
        return Refusal{L"模板数据库文件不能是“" + run.staging_path + L"”：安装程序用这个文件暂存模板。",
                       L"请把模板数据库文件放到别的位置，再选择它。"};
    run.log.LogPhase(L"安装系统信息...");
    remove_leftover_staging_file(run);

    // The server resolves a relative path in its own folders: it is given
    // the file this program means.
    const std::wstring template_file = platform::absolute_path(chosen);
    std::wstring failure;
    run.held_template = platform::HeldFile::hold(template_file, failure);
    if (!run.held_template)
        return Refusal{L"不能读取模板数据库文件“" + chosen + L"”：" + failure,
                       L"请关闭正在写入这个文件的程序，再安装。"};

    Transaction& sqlca = run.context.sqlca;
    if (read_header(sqlca, template_file, header)) {
        run.restore_source = template_file;
        note(run, L"template: read where it lies, " + template_file);
        return std::nullopt;
    }
    if (sqlca.error_number() != cannot_open_backup_device)
        return unreadable_backup(run);

    note(run, L"template: the server cannot open it where it lies; staging it to " + run.staging_path);
    if (std::optional<Refusal> refusal = stage(run))
        return refusal;
    run.restore_source = run.staging_path;
    if (!read_header(sqlca, run.staging_path, header))
        return unreadable_backup(run);
    return std::nullopt;
}

}  // namespace install
