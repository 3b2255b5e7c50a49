// Rewriting a template backup with the stand-in's own reader and writer.
#include "template_rewrite.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace e2e {

void rewrite_template(const std::filesystem::path& from, const std::filesystem::path& to,
                      const std::function<void(emulator::BackupDescription&)>& change) {
    const int source = ::open(from.c_str(), O_RDONLY);
    ASSERT_GE(source, 0) << from;
    emulator::BackupContents contents;
    try {
        contents = emulator::read_backup(source);
    } catch (const emulator::MalformedBackup&) {
        ADD_FAILURE() << from << " is no backup";
    }
    ::close(source);
    // The writer streams the data from a file of its own.
    const std::filesystem::path data = to.string() + ".data";
    write_file(data, read_file(from).substr(contents.data_offset, contents.description.data_bytes));
    change(contents.description);
    const int target = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(target, 0) << to;
    EXPECT_TRUE(emulator::write_backup(target, contents.description, data, contents.log_bytes,
                                       [](uint64_t) { return true; }));
    ::close(target);
    std::filesystem::remove(data);
}

}  // namespace e2e
