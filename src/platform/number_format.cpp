// Zero-padded decimal formatting.
#include "number_format.h"

namespace platform {

std::wstring format_number(long value, std::wstring_view mask)
{
    const unsigned long magnitude = value < 0 ? 0ul - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
    std::wstring digits = std::to_wstring(magnitude);
    if (digits.size() < mask.size()) digits.insert(0, mask.size() - digits.size(), L'0');
    return value < 0 ? L"-" + digits : digits;
}

}  // namespace platform
