#include "session/journal_writer.h"

#include <cerrno>

#include "engine/path_parts.h"

namespace kestrix::session {

bool JournalWriter::create(const std::string& path, const JournalHeader& header) {
    path_ = path;
    if (!platform::MakeFolders(std::string(FolderPart(path)), error_)) return false;
    if (!file_.create(path)) {
        error_ = file_.error();
        return false;
    }
    buffer_.clear();
    AppendHeader(header, buffer_);
    return write(buffer_);
}

bool JournalWriter::openExisting(const std::string& path) {
    path_ = path;
    if (file_.openExisting(path)) return true;
    error_ = file_.error();
    return false;
}

bool JournalWriter::write(const std::string& bytes) {
    if (file_.append(bytes.data(), bytes.size())) return true;
    error_ = file_.error();
    return false;
}

bool JournalWriter::sync() {
    if (file_.syncData()) return true;
    error_ = file_.error();
    return false;
}

bool JournalWriter::writePlan(const std::vector<PlanEntry>& plan) {
    buffer_.clear();
    AppendPlan(plan, buffer_);
    const bool written = write(buffer_);
    buffer_ = std::string();
    return written;
}

bool JournalWriter::syncPlan() {
    // The journal is a new file: its name must be durable too.
    return sync() && platform::SyncFolder(std::string(FolderPart(path_)), error_);
}

bool JournalWriter::writeIdentities(const std::vector<PlanEntry>& plan) {
    buffer_.clear();
    AppendIdentities(plan, buffer_);
    const bool written = write(buffer_);
    buffer_ = std::string();
    return written;
}

bool JournalWriter::writeAmendments(const std::vector<std::pair<std::int64_t, PlanEntry>>& changed) {
    if (!flush()) return false;
    buffer_.clear();
    AppendAmendments(changed, buffer_);
    return write(buffer_) && sync();
}

void JournalWriter::addOutcome(std::int64_t index, const OutcomeRecord& record) {
    addOutcome(index, record.outcome, record.error, record.from, record.to);
}

void JournalWriter::addOutcome(std::int64_t index, Outcome outcome, std::int32_t error, std::string_view from,
                               std::string_view to) {
    AppendOutcomeItem(index, outcome, error, from, to, pending_);
    ++pendingCount_;
}

bool JournalWriter::flush() {
    if (pendingCount_ == 0) return true;
    buffer_.clear();
    AppendOutcomesRecord(pendingCount_, pending_, buffer_);
    pending_.clear();
    pendingCount_ = 0;
    return write(buffer_);
}

bool JournalWriter::writeStep(bool begin, const StepRecord& step) {
    buffer_.clear();
    AppendOutcomesRecord(pendingCount_, pending_, buffer_);
    pending_.clear();
    pendingCount_ = 0;
    AppendStep(begin, step, buffer_);
    return write(buffer_);
}

bool JournalWriter::finish() {
    buffer_.clear();
    AppendOutcomesRecord(pendingCount_, pending_, buffer_);
    pending_.clear();
    pendingCount_ = 0;
    AppendFinished(buffer_);
    return write(buffer_) && sync();
}

void JournalWriter::close() { file_.close(); }

}  // namespace kestrix::session
