// Look-ups in form tables.
#include "form.h"

namespace platform {

const ControlSpec* find_control(const FormSpec& form, int id)
{
    for (const ControlSpec& control : form.controls)
        if (control.id == id) return &control;
    return nullptr;
}

}  // namespace platform
