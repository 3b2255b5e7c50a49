// A result document (--result-json) read back through the schema validator
// (check_result.py), for a test to look at its values.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace e2e {

// A result document as the schema validator read it: its values by path
// ("outcome", "failure.phase", "phases.0.name"), once it was valid.
struct ResultDocument {
    bool valid = false;
    std::string complaints;  // the validator's, when not valid
    std::string text;        // the file as written
    std::map<std::string, std::string> values;

    std::string operator[](const std::string& path) const {
        const auto found = values.find(path);
        return found == values.end() ? "<missing " + path + ">" : found->second;
    }

    std::vector<std::string> phase_names() const {
        std::vector<std::string> names;
        for (int i = 0; values.count("phases." + std::to_string(i) + ".name"); ++i)
            names.push_back(values.at("phases." + std::to_string(i) + ".name"));
        return names;
    }
};

// The document in `file`, validated against the schema in deploy/.
ResultDocument validated(const std::filesystem::path& file);

}  // namespace e2e
