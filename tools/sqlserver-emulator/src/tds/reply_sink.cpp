// Streaming reply for one SQL batch.
#include "reply_sink.h"

#include "tokens.h"

namespace emulator::tds {

void send_attention_ack(MessageWriter& writer) {
    writer.append(done_token(done_status::attention, 0, 0));
    writer.end_message();
}

void ReplySink::message(const ServerMessage& message) {
    release_held_done();
    writer_.append(message_token(message));
    writer_.flush();  // progress messages reach the client while work goes on
}

void ReplySink::database_changed(const std::u16string& new_database, const std::u16string& old_database) {
    release_held_done();
    writer_.append(env_change_token(EnvChange::database, new_database, old_database));
}

void ReplySink::rows(const ResultSet& result) {
    release_held_done();
    writer_.append(result_set_tokens(result));
}

void ReplySink::statement_done(bool failed, std::optional<uint64_t> row_count, Command command) {
    release_held_done();
    uint16_t status = done_status::final;
    if (failed) status |= done_status::error;
    if (row_count) status |= done_status::count;
    held_done_ = HeldDone{status, static_cast<uint16_t>(command), row_count.value_or(0)};
}

void ReplySink::progress_reported() {
    release_held_done();
    writer_.append(done_token(done_status::more, 0, 0));
    writer_.flush();
}

bool ReplySink::attention_requested() const {
    if (!attention_ && !client_gone_) {
        switch (socket_.poll_pending()) {
            case Socket::Pending::attention:
                attention_ = true;
                break;
            case Socket::Pending::closed:
                client_gone_ = true;
                break;
            case Socket::Pending::nothing:
                break;
        }
    }
    return attention_ || client_gone();
}

void ReplySink::finish() {
    attention_requested();  // an ATTENTION that arrived at the very end is acknowledged here too
    const HeldDone last = held_done_.value_or(HeldDone{done_status::final, 0, 0});
    held_done_.reset();
    writer_.append(done_token(last.status, last.command, last.row_count));
    writer_.end_message();
    if (attention_) send_attention_ack(writer_);
}

void ReplySink::release_held_done() {
    if (!held_done_) return;
    writer_.append(done_token(held_done_->status | done_status::more, held_done_->command, held_done_->row_count));
    held_done_.reset();
}

}  // namespace emulator::tds
