// Splitting and unescaping the driver's lines.
#include "driver_output.h"

#include <sstream>

namespace e2e {

namespace {

std::string unescape(const std::string& field) {
    std::string text;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            text += field[i];
            continue;
        }
        switch (field[++i]) {
            case 't': text += '\t'; break;
            case 'r': text += '\r'; break;
            case 'n': text += '\n'; break;
            default: text += field[i];
        }
    }
    return text;
}

}  // namespace

std::vector<Observation> parse_driver_output(const std::string& output) {
    std::vector<Observation> observations;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        Observation observation;
        size_t start = 0;
        for (;;) {
            const size_t tab = line.find('\t', start);
            const std::string field = unescape(line.substr(start, tab == std::string::npos ? tab : tab - start));
            if (observation.kind.empty() && start == 0)
                observation.kind = field;
            else
                observation.fields.push_back(field);
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        observations.push_back(std::move(observation));
    }
    return observations;
}

}  // namespace e2e
