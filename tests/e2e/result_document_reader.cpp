// Reading a result document through the schema validator.
#include "result_document_reader.h"

#include "child_process.h"
#include "test_files.h"

#include <sstream>

namespace e2e {

ResultDocument validated(const std::filesystem::path& file) {
    ResultDocument document;
    document.text = read_file(file);
    const ProgramResult checked = run_program(
        ProcessOptions{{"/usr/bin/python3", KORVENA_CHECK_RESULT_SCRIPT, file.string(), KORVENA_RESULT_SCHEMA}, {}, {}, {}, {}},
        std::chrono::seconds(60), Streams::separate);
    document.valid = checked.exit_code == 0;
    document.complaints = checked.errors;
    std::istringstream lines(checked.output);
    for (std::string line; std::getline(lines, line);) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos) document.values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return document;
}

}  // namespace e2e
