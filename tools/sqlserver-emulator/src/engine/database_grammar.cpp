// The grammar of database statements: CREATE DATABASE with its files, BACKUP
// and the RESTORE forms.
#include "grammar.h"

#include "text.h"

namespace emulator {
namespace {

using Kind = Token::Kind;

}  // namespace

CreateDatabaseStatement Grammar::create_database() {
    CreateDatabaseStatement create;
    create.name = name();
    if (accept_word(u"ON")) {
        accept_word(u"PRIMARY");
        create.data_files = file_specs();
        if (accept_word(u"LOG")) {
            expect_word(u"ON");
            create.log_files = file_specs();
        }
    }
    finish();
    return create;
}

std::vector<FileSpec> Grammar::file_specs() {
    std::vector<FileSpec> specs;
    do {
        specs.push_back(file_spec());
    } while (accept_symbol(u","));
    return specs;
}

FileSpec Grammar::file_spec() {
    FileSpec spec;
    expect_symbol(u"(");
    do {
        if (current().kind != Kind::word) syntax_error();
        const std::u16string option = to_upper(advance().text);
        expect_symbol(u"=");
        if (option == u"NAME") {
            spec.logical = is_string_token(current()) ? string_literal() : name();
        } else if (option == u"FILENAME") {
            spec.filename = string_literal();
        } else if (option == u"SIZE") {
            spec.size_bytes = file_size();
        } else if (option == u"MAXSIZE") {
            spec.max_size_bytes = accept_word(u"UNLIMITED") ? -1 : file_size();
        } else if (option == u"FILEGROWTH") {
            spec.growth = integer();
            spec.growth_percent = accept_symbol(u"%");
            if (!spec.growth_percent) *spec.growth *= unit_multiplier();
        } else {
            throw Unsupported{};
        }
    } while (accept_symbol(u","));
    expect_symbol(u")");
    if (spec.logical.empty() || spec.filename.empty()) syntax_error();
    return spec;
}

int64_t Grammar::file_size() { return static_cast<int64_t>(integer()) * unit_multiplier(); }

int64_t Grammar::unit_multiplier() {
    if (accept_word(u"KB")) return int64_t{1} << 10;
    if (accept_word(u"GB")) return int64_t{1} << 30;
    if (accept_word(u"TB")) return int64_t{1} << 40;
    accept_word(u"MB");
    return int64_t{1} << 20;
}

// DISK = 'file'; tapes and URLs are not implemented.
std::u16string Grammar::disk_device() {
    if (!accept_word(u"DISK")) throw Unsupported{};
    expect_symbol(u"=");
    return string_literal();
}

BackupStatement Grammar::backup() {
    BackupStatement backup;
    if (!accept_word(u"DATABASE")) throw Unsupported{};
    backup.database = name();
    expect_word(u"TO");
    backup.device = disk_device();
    if (accept_word(u"WITH")) {
        do {
            backup_option(backup);
        } while (accept_symbol(u","));
    }
    finish();
    return backup;
}

void Grammar::backup_option(BackupStatement& backup) {
    if (current().kind != Kind::word) syntax_error();
    const std::u16string option = to_upper(advance().text);
    if (option == u"INIT" || option == u"FORMAT") {
        backup.init = true;
    } else if (option == u"NOINIT") {
        backup.init = false;
    } else if (option == u"COPY_ONLY") {
        backup.copy_only = true;
    } else if (option == u"CHECKSUM") {
        backup.checksum = true;
    } else if (option == u"NO_CHECKSUM") {
        backup.checksum = false;
    } else if (option == u"STATS") {
        backup.stats_percent = accept_symbol(u"=") ? integer() : 10;
        if (backup.stats_percent < 1 || backup.stats_percent > 100) syntax_error();
    } else if (option == u"NAME" || option == u"DESCRIPTION") {
        expect_symbol(u"=");
        (option == u"NAME" ? backup.name : backup.description) = string_literal();
    } else if (option != u"NOFORMAT" && option != u"SKIP" && option != u"NOSKIP" && option != u"NOUNLOAD" &&
               option != u"NO_COMPRESSION") {
        throw Unsupported{};
    }
}

StatementBody Grammar::restore() {
    if (accept_word(u"HEADERONLY")) return backup_information(BackupInformationStatement::Kind::header);
    if (accept_word(u"FILELISTONLY")) return backup_information(BackupInformationStatement::Kind::file_list);
    RestoreStatement restore;
    if (!accept_word(u"DATABASE")) throw Unsupported{};
    restore.database = name();
    expect_word(u"FROM");
    restore.device = disk_device();
    if (accept_word(u"WITH")) {
        do {
            restore_option(restore);
        } while (accept_symbol(u","));
    }
    finish();
    return restore;
}

BackupInformationStatement Grammar::backup_information(BackupInformationStatement::Kind kind) {
    BackupInformationStatement information{kind, {}};
    expect_word(u"FROM");
    information.device = disk_device();
    if (accept_word(u"WITH")) {
        do {
            if (current().kind != Kind::word) syntax_error();
            const std::u16string option = to_upper(advance().text);
            if (option == u"FILE") {
                expect_symbol(u"=");
                if (integer() != 1) throw Unsupported{};  // backups here hold one set
            } else if (option != u"NOUNLOAD") {
                throw Unsupported{};
            }
        } while (accept_symbol(u","));
    }
    finish();
    return information;
}

void Grammar::restore_option(RestoreStatement& restore) {
    if (current().kind != Kind::word) syntax_error();
    const std::u16string option = to_upper(advance().text);
    if (option == u"FILE") {
        expect_symbol(u"=");
        if (integer() != 1) throw Unsupported{};  // backups here hold one set
    } else if (option == u"STATS") {
        restore.stats_percent = accept_symbol(u"=") ? integer() : 10;
        if (restore.stats_percent < 1 || restore.stats_percent > 100) syntax_error();
    } else if (option == u"REPLACE") {
        restore.replace = true;
    } else if (option == u"MOVE") {
        MoveOption move;
        move.logical = string_literal();
        expect_word(u"TO");
        move.target = string_literal();
        restore.moves.push_back(std::move(move));
    } else if (option != u"NOUNLOAD" && option != u"RECOVERY" && option != u"CHECKSUM") {
        throw Unsupported{};
    }
}

// ALTER DATABASE name SET SINGLE_USER | MULTI_USER [WITH ROLLBACK IMMEDIATE |
// ROLLBACK AFTER n [SECONDS] | NO_WAIT], or ALTER DATABASE name MODIFY FILE
// (NAME = logical, SIZE = size). Other options, RESTRICTED_USER and CURRENT
// are not implemented.
StatementBody Grammar::alter_database() {
    if (is_word(current(), u"CURRENT")) throw Unsupported{};
    AlterDatabaseStatement alter{name()};
    if (accept_word(u"MODIFY")) {
        if (!accept_word(u"FILE")) throw Unsupported{};
        ModifyFileStatement modify{alter.database, {}, 0};
        expect_symbol(u"(");
        expect_word(u"NAME");
        expect_symbol(u"=");
        modify.logical = is_string_token(current()) ? string_literal() : name();
        expect_symbol(u",");
        if (!accept_word(u"SIZE")) throw Unsupported{};
        expect_symbol(u"=");
        modify.size_bytes = file_size();
        if (is_symbol(current(), u",")) throw Unsupported{};  // MAXSIZE, FILEGROWTH, FILENAME
        expect_symbol(u")");
        finish();
        return modify;
    }
    if (!accept_word(u"SET")) throw Unsupported{};
    if (accept_word(u"SINGLE_USER")) alter.access = UserAccess::single_user;
    else if (accept_word(u"MULTI_USER")) alter.access = UserAccess::multi_user;
    else throw Unsupported{};
    using Termination = AlterDatabaseStatement::Termination;
    if (accept_word(u"WITH")) {
        if (accept_word(u"NO_WAIT")) {
            alter.termination = Termination::no_wait;
        } else {
            expect_word(u"ROLLBACK");
            if (accept_word(u"IMMEDIATE")) {
                alter.termination = Termination::rollback_immediate;
            } else {
                expect_word(u"AFTER");
                alter.termination = Termination::rollback_after;
                alter.rollback_after_seconds = integer();
                accept_word(u"SECONDS");
            }
        }
    }
    finish();
    return alter;
}

}  // namespace emulator
