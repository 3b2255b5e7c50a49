// A server holding a template database with a table, rows and 3 MiB of
// patterned data, backed up to C:\template\mirvox.dat.
#pragma once

#include "engine_fixture.h"

#include <fstream>
#include <iterator>
#include <string>

namespace emulator::testing {

class BackupRestoreTest : public EngineTest {
protected:
    BackupRestoreTest() {
        sa_ = login_sa();
        std::filesystem::create_directories(drive_c() / "template");
        ok(sa_, u"CREATE DATABASE mirvox_template ON PRIMARY (NAME = N'mirvox_data', FILENAME = "
                u"N'C:\\template\\mirvox_template.mdf', SIZE = 1MB) LOG ON (NAME = N'mirvox_log', FILENAME = "
                u"N'C:\\template\\mirvox_template_log.ldf', SIZE = 2MB)");
        ok(sa_, u"create table mirvox_template.dbo.t_sys_system (sys_var_id nvarchar(40), sys_var_name nvarchar(60))");
        ok(sa_, u"insert into mirvox_template.dbo.t_sys_system values ('Is_Distributed', N'单店')");
        data_bytes_.resize(3 << 20);
        for (size_t i = 0; i < data_bytes_.size(); ++i) data_bytes_[i] = static_cast<char>(i * 7 + i / 4096);
        std::ofstream(drive_c() / "template" / "mirvox_template.mdf", std::ios::binary | std::ios::trunc)
            .write(data_bytes_.data(), static_cast<std::streamsize>(data_bytes_.size()));
        backup_ = ok(sa_, u"BACKUP DATABASE mirvox_template TO DISK = N'C:\\template\\mirvox.dat' WITH INIT");
    }

    std::string read_file(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    static constexpr char16_t restore_mirvox_[] =
        u"RESTORE DATABASE mirvox FROM  DISK = N'c:\\template\\mirvox.dat' WITH  FILE = 1,  NOUNLOAD ,  STATS = 10,  "
        u"RECOVERY ,  REPLACE ,MOVE 'mirvox_log' TO N'D:\\data\\mirvox_Log.LDF',MOVE 'mirvox_data' TO "
        u"N'D:\\data\\mirvox_Data.MDF'";

    int sa_ = 0;
    std::string data_bytes_;
    RecordingSink backup_;
};

}  // namespace emulator::testing
