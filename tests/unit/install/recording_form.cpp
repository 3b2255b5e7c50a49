// The scripted answers of the check-code dialog.
#include "recording_form.h"

namespace install_test {

std::wstring RecordingForm::confirm_reinstall()
{
    ++reinstall_confirmations;
    if (confirm_answers.empty())
        return L"0";
    std::wstring answer = confirm_answers.front();
    confirm_answers.pop_front();
    return answer;
}

}  // namespace install_test
