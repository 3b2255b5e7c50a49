// Applies the --fault rules to a statement: which ones match its text, and
// the messages a fail rule answers with.
#pragma once

#include "engine.h"
#include "statements.h"

#include <chrono>
#include <optional>
#include <vector>

namespace emulator {

struct MatchedFaults {
    bool drop = false;
    bool drop_after = false;
    std::chrono::milliseconds delay{0};
    std::optional<int32_t> fail_number;
};

// Every rule whose text occurs in the statement text (case-insensitive),
// but for a once rule already spent. `spent` holds a flag per rule; a once
// rule that matches is marked in it.
MatchedFaults match_faults(const std::vector<FaultRule>& rules, std::vector<bool>& spent,
                           const std::u16string& statement_text);

// Swallows a statement's answer, passing only the client's ATTENTION on:
// the statement of a drop-after rule runs for nothing the client will see.
class SilentSink : public ResponseSink {
public:
    explicit SilentSink(const ResponseSink& client) : client_(client) {}
    void message(const ServerMessage&) override {}
    void database_changed(const std::u16string&, const std::u16string&) override {}
    void rows(const ResultSet&) override {}
    void statement_done(bool, std::optional<uint64_t>, Command) override {}
    bool attention_requested() const override { return client_.attention_requested(); }

private:
    const ResponseSink& client_;
};

// SQL Server's answer with message `number` to this statement, its names
// filled from the statement; a failed CREATE DATABASE, BACKUP or RESTORE
// adds its summary message as the real server does.
std::vector<ServerMessage> fault_messages(int32_t number, const Statement& statement);

}  // namespace emulator
