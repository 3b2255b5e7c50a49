// Passwords kept out of everything a run writes down: its log file and its
// result document.
#pragma once

#include <string>
#include <vector>

namespace install {

class Redaction {
public:
    // Empty texts are no secret and are left out.
    explicit Redaction(std::vector<std::wstring> secrets);

    // A secret learnt during the run; an empty one is left out.
    void add(std::wstring secret);

    // `text` with every occurrence of a secret written as asterisks.
    std::wstring operator()(std::wstring text) const;

private:
    std::vector<std::wstring> secrets_;
};

}  // namespace install
