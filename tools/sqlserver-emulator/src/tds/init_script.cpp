// Running the start-up script.
#include "init_script.h"

#include "engine/text.h"

#include <fstream>
#include <sstream>

namespace emulator::tds {

namespace {

bool is_blank(char16_t unit) {
    return unit == u' ' || unit == u'\t' || unit == u'\r' || unit == u'\v' || unit == u'\f';
}

std::u16string_view trim(std::u16string_view text) {
    while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
    return text;
}

bool is_go_line(std::u16string_view line) {
    line = trim(line);
    return line.size() == 2 && (line[0] == u'G' || line[0] == u'g') && (line[1] == u'O' || line[1] == u'o');
}

bool is_blank_batch(std::u16string_view batch) {
    for (char16_t unit : batch)
        if (!is_blank(unit) && unit != u'\n') return false;
    return true;
}

// Collects what a batch said that the operator must see.
class ErrorCollector : public ResponseSink {
public:
    void message(const ServerMessage& message) override {
        if (message.severity <= 10) return;
        errors_ += "Msg " + std::to_string(message.number) + ", Level " + std::to_string(message.severity) +
                   ", State " + std::to_string(message.state) + ": " + to_utf8(message.text) + "\n";
    }
    void database_changed(const std::u16string&, const std::u16string&) override {}
    void rows(const ResultSet&) override {}
    void statement_done(bool failed, std::optional<uint64_t>, Command) override { failed_ = failed_ || failed; }
    bool attention_requested() const override { return false; }

    bool failed() const { return failed_ || !errors_.empty(); }
    const std::string& errors() const { return errors_; }

private:
    std::string errors_;
    bool failed_ = false;
};

std::string describe_refusal(const LoginRefused& refused) {
    std::string text = "login as sa failed:";
    for (const ServerMessage& error : refused.errors) {
        text += ' ';
        text += to_utf8(error.text);
    }
    return text;
}

}  // namespace

std::vector<std::u16string> split_batches(std::u16string_view script) {
    std::vector<std::u16string> batches;
    std::u16string current;
    auto close_batch = [&] {
        if (!is_blank_batch(current)) batches.push_back(current);
        current.clear();
    };
    while (!script.empty()) {
        const size_t end = script.find(u'\n');
        const std::u16string_view line = script.substr(0, end);
        if (is_go_line(line)) {
            close_batch();
        } else {
            current.append(line);
            current.push_back(u'\n');
        }
        script.remove_prefix(end == std::u16string_view::npos ? script.size() : end + 1);
    }
    close_batch();
    return batches;
}

std::optional<std::string> run_init_script(Engine& engine, const std::u16string& sa_password,
                                           const InstanceSettings& instance, const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return "cannot read " + file.string();
    std::ostringstream content;
    content << in.rdbuf();
    std::string text = content.str();
    if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);

    // Setup runs as the Windows account that installs the server; a server
    // that accepts SQL Server logins lets sa in.
    const bool as_windows_login = instance.windows_authentication_only && !instance.windows_logins.empty();
    LoginChannel channel;
    channel.windows_authenticated = as_windows_login;
    const LoginRequest login{as_windows_login ? instance.windows_logins.front() : u"sa",
                             as_windows_login ? u"" : sa_password, u"", true};
    const auto outcome = engine.login(login, channel);
    if (const auto* refused = std::get_if<LoginRefused>(&outcome)) return describe_refusal(*refused);
    const int spid = std::get<LoginAccepted>(outcome).spid;

    std::optional<std::string> failure;
    for (const std::u16string& batch : split_batches(from_utf8(text))) {
        ErrorCollector collector;
        if (engine.execute_batch(spid, batch, collector) == BatchEnd::drop_connection) {
            failure = "a fault rule dropped the init script's connection";
            break;
        }
        if (collector.failed()) {
            failure = collector.errors().empty() ? "a statement of the init script failed" : collector.errors();
            break;
        }
    }
    engine.close_session(spid);
    return failure;
}

}  // namespace emulator::tds
