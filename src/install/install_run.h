// One run of wf_installdb as its phases see it: the context, the log, what
// the pre-flight learnt, what the run changed on the server and its report.
#pragma once

#include "install/install_context.h"
#include "install/preparation/tills_route.h"
#include "install/record/install_log.h"
#include "install/record/install_report.h"
#include "install/recovery/failure_path.h"
#include "install/recovery/rollback.h"
#include "install/recovery/server_changes.h"
#include "install/server/server_facts.h"
#include "install/server/server_version.h"
#include "platform/files.h"
#include "platform/install_lock.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace install {

struct InstallRun {
    InstallContext& context;
    InstallLog log;
    const std::wstring staging_path = L"c:\\zq.tmp";  // ls_sourcedbfile
    std::unique_ptr<platform::InstallLock> lock;      // held from the preconditions to the end

    // Learnt by the pre-flight.
    ServerVersion server_version;
    ServerListening listening;  // how the tills will reach the server
    bool listening_learnt = false;
    std::vector<DatabaseFile> old_database_files;  // empty when no old database exists
    // No one writes the operator's template from the server's first look at
    // it to the end of the run, nor the staged copy when there is one.
    std::unique_ptr<platform::HeldFile> held_template;
    std::wstring restore_source;  // the file the server restores: the template where it lies, or the staged copy
    bool template_staged = false;
    std::unique_ptr<platform::HeldFile> staged_copy;  // no one writes it from the copy to the end of the restore
    std::optional<ServerVersion> template_written_by;  // nullopt when the backup does not say
    std::vector<DatabaseFile> template_files;
    std::optional<int64_t> data_drive_free_megabytes;  // nullopt when the server does not list the drive
    int64_t megabytes_needed = 0;

    std::optional<bool> old_database_found;  // unknown until the pre-flight or the detection has looked
    ServerChanges changes;
    bool record_kept = false;  // the run's record on disk is this run's: it goes when the run ends
    // Why a phase failed when it was not the server's error (SQLCA's is taken otherwise).
    std::optional<FailureCause> failure_cause;
    RollbackReport::OldDatabase old_database_after_rollback = RollbackReport::OldDatabase::not_dropped;
    InstallReport report;

    explicit InstallRun(InstallContext& run_context)
        : context(run_context), log(run_context.form, run_context.journal)
    {
    }
};

}  // namespace install
