// Retrying the administrator's connection.
#include "install/server/patient_connect.h"

#include "install/install_run.h"
#include "install/server/connection_errors.h"
#include "install/wf_connect_db.h"
#include "platform/odbc/transaction.h"

#include <algorithm>
#include <thread>

namespace install {

bool connect_patiently(InstallRun& run, std::chrono::seconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    const std::wstring status = run.context.form.status_text();
    std::chrono::seconds wait{1};
    for (int attempt = 1;; ++attempt) {
        if (connect_sqlca(run.context, run.context.form.admin_login())) {
            run.context.form.set_status_text(status);
            return true;
        }
        const auto now = std::chrono::steady_clock::now();
        if (is_login_refusal(run.context.sqlca.error_number()) || now + wait > deadline)
            return false;
        run.context.form.set_status_text(status + L"（数据库服务器还不能连接，" + std::to_wstring(wait.count()) +
                                         L" 秒后第 " + std::to_wstring(attempt + 1) + L" 次连接）");
        std::this_thread::sleep_for(wait);
        wait = std::min(wait * 2, std::chrono::seconds{10});
    }
}

}  // namespace install
