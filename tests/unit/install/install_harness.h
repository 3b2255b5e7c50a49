// What every test of the pipeline needs, wired once: the recording form,
// scripted prompts, a real SQLCA, the default settings and the context that
// hands them to the pipeline.
#pragma once

#include "recording_form.h"

#include "app/install_settings.h"
#include "install/install_run.h"
#include "install/wf_installdb.h"
#include "platform/odbc/transaction.h"
#include "platform/scripted_prompts.h"

namespace install_test {

struct InstallHarness {
    RecordingForm form;
    platform::ScriptedPrompts prompts;
    platform::Transaction sqlca;
    app::InstallSettings settings{L"mirvox", L"mirvox", L"rovtakl"};
    install::InstallContext context{form, prompts, sqlca, settings, L"Korvena"};
};

}  // namespace install_test
