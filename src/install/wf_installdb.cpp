// The install pipeline: the phases in their order, stopping at the first end.
#include "install_run.h"

namespace install {

InstallOutcome wf_installdb(InstallContext& context)
{
    InstallRun run(context);
    for (auto phase : {check_preconditions, connect_as_administrator, run_preflight, replace_old_database,
                       create_new_database, restore_template, set_up_application_login, seed_store_mode}) {
        if (PhaseEnd end = phase(run))
            return *end;
    }
    return complete_install(run);
}

}  // namespace install
