// The template's release and size against the server's.
#include "install/preflight/template_fit.h"

#include "install/preflight/preflight_rules.h"
#include "install/preflight/release_rules.h"

namespace install {

namespace {

std::wstring release_text(ServerVersion version)
{
    return std::to_wstring(version.major) + L"." + std::to_wstring(version.minor);
}

}  // namespace

std::optional<Refusal> template_release_fits(ServerVersion written_by, ServerVersion server)
{
    if (newer_release(written_by, server))
        return Refusal{L"模板数据库是由较新版本的 SQL Server（" + version_text(written_by) + L"）备份的，本服务器的版本是 " +
                           version_text(server) + L"，不能还原它。",
                       L"请使用与本服务器版本相符的模板数据库，或升级 SQL Server。"};
    const ServerVersion oldest = oldest_restorable_release(server);
    if (!newer_release(oldest, written_by))
        return std::nullopt;
    return Refusal{L"模板数据库是由较旧版本的 SQL Server（" + version_text(written_by) + L"）备份的，本服务器的版本是 " +
                       version_text(server) + L"，只能还原 SQL Server " + release_text(oldest) +
                       L" 及以后版本的备份。",
                   L"请使用与本服务器版本相符的模板数据库。"};
}

std::optional<Refusal> template_fits_edition(bool express, ServerVersion server,
                                             const std::vector<DatabaseFile>& template_files)
{
    const std::optional<int64_t> limit_mb = express_data_limit_mb(server);
    if (!express || !limit_mb)
        return std::nullopt;
    int64_t data_bytes = 0;
    for (const DatabaseFile& file : template_files)
        if (!file.log)
            data_bytes += file.size_bytes;
    const int64_t data_mb = whole_megabytes(data_bytes);
    if (data_mb <= *limit_mb)
        return std::nullopt;
    return Refusal{L"数据库服务器是 SQL Server Express，一个数据库的数据文件最多 " + std::to_wstring(*limit_mb) +
                       L" MB，模板数据库的数据文件有 " + std::to_wstring(data_mb) + L" MB，不能还原它。",
                   L"请在 SQL Server 的标准版或企业版上安装，或使用较小的模板数据库。"};
}

}  // namespace install
