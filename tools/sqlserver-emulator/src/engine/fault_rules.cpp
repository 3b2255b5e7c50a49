// Fault rule matching and the plausible names for a faked message.
#include "fault_rules.h"

#include "backup_restore.h"
#include "messages.h"
#include "text.h"

namespace emulator {
namespace {

// The names a message about this statement would carry.
MessageArgs arguments_of(const Statement& statement) {
    MessageArgs args;
    std::visit(
        [&](const auto& body) {
            using T = std::decay_t<decltype(body)>;
            if constexpr (std::is_same_v<T, CreateDatabaseStatement>) {
                args.name = body.name;
                if (!body.data_files.empty()) {
                    args.path = body.data_files.front().filename;
                    args.logical = body.data_files.front().logical;
                }
            } else if constexpr (std::is_same_v<T, DropDatabaseStatement>) {
                args.name = body.name;
            } else if constexpr (std::is_same_v<T, CreateLoginStatement>) {
                args.name = body.name;
            } else if constexpr (std::is_same_v<T, UseStatement>) {
                args.name = body.database;
            } else if constexpr (std::is_same_v<T, BackupStatement>) {
                args.name = body.database;
                args.path = body.device;
                args.operation = u"BACKUP DATABASE";
            } else if constexpr (std::is_same_v<T, RestoreStatement>) {
                args.name = body.database;
                args.path = body.device;
                args.operation = u"RESTORE DATABASE";
                if (!body.moves.empty()) args.logical = body.moves.front().logical;
            } else if constexpr (std::is_same_v<T, BackupInformationStatement>) {
                args.path = body.device;
                args.operation = information_operation(body);
            } else if constexpr (std::is_same_v<T, ExecStatement>) {
                args.procedure = body.procedure;
                if (!body.arguments.empty())
                    if (const auto* text = std::get_if<std::u16string>(&body.arguments.front())) args.name = *text;
            } else if constexpr (std::is_same_v<T, InsertStatement> || std::is_same_v<T, DeleteStatement> ||
                                 std::is_same_v<T, CreateTableStatement>) {
                args.name = body.table.written;
            } else if constexpr (std::is_same_v<T, SelectStatement>) {
                if (!body.from.empty()) args.name = body.from.front().table.written;
            }
        },
        statement.body);
    return args;
}

bool contains_ci(const std::u16string& text, const std::u16string& part) {
    const std::u16string upper_text = to_upper(text);
    return upper_text.find(to_upper(part)) != std::u16string::npos;
}

}  // namespace

MatchedFaults match_faults(const std::vector<FaultRule>& rules, std::vector<bool>& spent,
                           const std::u16string& statement_text) {
    MatchedFaults matched;
    spent.resize(rules.size(), false);
    for (size_t i = 0; i < rules.size(); ++i) {
        const FaultRule& rule = rules[i];
        if (spent[i] || !contains_ci(statement_text, rule.text)) continue;
        if (rule.once) spent[i] = true;
        switch (rule.kind) {
            case FaultRule::Kind::drop: matched.drop = true; break;
            case FaultRule::Kind::drop_after: matched.drop_after = true; break;
            case FaultRule::Kind::delay: matched.delay += std::chrono::milliseconds(rule.value); break;
            case FaultRule::Kind::fail:
                if (!matched.fail_number) matched.fail_number = rule.value;
                break;
        }
    }
    return matched;
}

std::vector<ServerMessage> fault_messages(int32_t number, const Statement& statement) {
    const MessageArgs args = arguments_of(statement);
    std::vector<ServerMessage> messages{server_message(number, args)};
    const bool restore_or_backup = std::holds_alternative<RestoreStatement>(statement.body) ||
                                   std::holds_alternative<BackupStatement>(statement.body) ||
                                   std::holds_alternative<BackupInformationStatement>(statement.body);
    if (restore_or_backup && number != 3013 && messages.front().severity > 10)
        messages.push_back(server_message(3013, args));
    if (std::holds_alternative<CreateDatabaseStatement>(statement.body) && (number == 5133 || number == 5170 || number == 5123))
        messages.push_back(server_message(1802, args));
    return messages;
}

}  // namespace emulator
