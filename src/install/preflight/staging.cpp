// Copying the template to the staging file, and removing it again.
#include "install/preflight/staging.h"

#include "install/install_run.h"
#include "install/run_interruption.h"
#include "platform/files.h"

namespace install {

namespace {

void remove_file_at(const std::wstring& path)
{
    // A leftover may be read-only; its attributes go first so the delete can work.
    if (platform::file_exists(path)) {
        platform::set_file_attributes(path, 0);
        platform::delete_file(path);
    }
}

}  // namespace

void remove_leftover_staging_file(const InstallRun& run)
{
    remove_file_at(run.staging_path);
}

std::optional<std::wstring> stage_template(InstallRun& run)
{
    // From here on every end removes the staging path, a half-written copy too.
    run.template_staged = true;
    InstallForm& form = run.context.form;
    int shown = -1;
    const platform::Outcome copied =
        platform::copy_file(form.template_file(), run.staging_path, [&](uint64_t done, uint64_t total) {
            const int percent = static_cast<int>(done * 100 / total);
            if (percent != shown)
                form.show_progress(shown = percent);
            return !stop_requested();
        });
    if (!copied.succeeded)
        return copied.system_message;
    std::wstring failure;
    run.staged_copy = platform::HeldFile::hold(run.staging_path, failure);
    if (!run.staged_copy)
        return failure;
    return std::nullopt;
}

void remove_staged_template(InstallRun& run)
{
    if (!run.template_staged)
        return;
    run.staged_copy.reset();
    remove_file_at(run.staging_path);
    run.template_staged = false;
}

}  // namespace install
