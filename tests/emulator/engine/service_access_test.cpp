// A folder the server's service account may not open (--unreadable): a
// backup there cannot be read or written, and database files cannot be made
// or restored there.
#include "backup_fixture.h"

namespace emulator::testing {
namespace {

class ServiceAccessTest : public BackupRestoreTest {
protected:
    ServiceAccessTest() {
        std::filesystem::create_directories(drive_c() / "Users" / "op" / "Desktop");
        std::filesystem::copy_file(drive_c() / "template" / "mirvox.dat", drive_c() / "Users" / "op" / "Desktop" / "mirvox.dat");
        auto engine_options = options();
        engine_options.unreadable = {u"C:\\Users\\op\\Desktop\\"};
        start(engine_options);
        sa_ = login_sa();
    }
};

TEST_F(ServiceAccessTest, NothingInTheFolderCanBeOpened) {
    const std::u16string denied = u"Operating system error 5(Access is denied.).";
    const struct {
        std::u16string sql;
        std::vector<int32_t> numbers;
        std::u16string first;
    } cases[] = {
        {u"RESTORE HEADERONLY FROM DISK = N'C:\\Users\\op\\Desktop\\mirvox.dat'", {3201, 3013},
         u"Cannot open backup device 'C:\\Users\\op\\Desktop\\mirvox.dat'. " + denied},
        {u"RESTORE FILELISTONLY FROM DISK = N'c:/users/OP/desktop/mirvox.dat'", {3201, 3013},
         u"Cannot open backup device 'c:/users/OP/desktop/mirvox.dat'. " + denied},
        {u"RESTORE DATABASE mirvox FROM DISK = N'C:\\Users\\op\\Desktop\\mirvox.dat' WITH REPLACE", {3201, 3013},
         u"Cannot open backup device 'C:\\Users\\op\\Desktop\\mirvox.dat'. " + denied},
        {u"BACKUP DATABASE mirvox_template TO DISK = N'C:\\Users\\op\\Desktop\\copy.bak' WITH INIT", {3201, 3013},
         u"Cannot open backup device 'C:\\Users\\op\\Desktop\\copy.bak'. " + denied},
        {u"CREATE DATABASE desk ON PRIMARY (NAME = N'desk', FILENAME = N'C:\\Users\\op\\Desktop\\desk.mdf')",
         {5123, 1802},
         u"CREATE FILE encountered operating system error 5(Access is denied.) while attempting to open or create the "
         u"physical file 'C:\\Users\\op\\Desktop\\desk.mdf'."},
        {u"RESTORE DATABASE desk FROM DISK = N'C:\\template\\mirvox.dat' WITH MOVE N'mirvox_data' TO "
         u"N'C:\\Users\\op\\Desktop\\desk.mdf', MOVE N'mirvox_log' TO N'D:\\data\\desk.ldf'",
         {3634, 3156, 3119, 3013},
         u"The operating system returned the error '5(Access is denied.)' while attempting "
         u"'RestoreContainer::ValidateTargetForCreation' on 'C:\\Users\\op\\Desktop\\desk.mdf'."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf8(c.sql));
        const auto sink = run(sa_, c.sql);
        EXPECT_EQ(sink.message_numbers(), c.numbers);
        ASSERT_FALSE(sink.messages.empty());
        EXPECT_EQ(sink.messages[0].text, c.first);
        EXPECT_TRUE(sink.results.empty());
    }
    EXPECT_EQ(scalar(sa_, u"select count(*) from sysdatabases where name = 'desk'"), Value(0));
    EXPECT_FALSE(std::filesystem::exists(drive_c() / "Users" / "op" / "Desktop" / "copy.bak"));

    // Beside the folder all goes on as before.
    std::filesystem::copy_file(drive_c() / "template" / "mirvox.dat", drive_c() / "Users" / "op" / "mirvox.dat");
    EXPECT_EQ(ok(sa_, u"RESTORE HEADERONLY FROM DISK = N'C:\\Users\\op\\mirvox.dat'").results.at(0).rows.size(), 1u);
}

}  // namespace
}  // namespace emulator::testing
