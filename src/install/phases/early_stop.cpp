// The early stops: before anything on the server has changed.
#include "install/install_run.h"
#include "install/phases/phases.h"
#include "install/preflight/staging.h"

namespace install {

InstallOutcome stop_install(InstallRun& run, InstallOutcome outcome)
{
    remove_staged_template(run);
    run.context.form.set_pointer(platform::MousePointer::arrow);
    return outcome;
}

}  // namespace install
