#include "session/journal_writer.h"

#include <cerrno>

namespace kestrix::session {

namespace {

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

}  // namespace

bool JournalWriter::create(const std::string& path, const JournalHeader& header) {
    path_ = path;
    if (!platform::MakeFolders(FolderOf(path), error_)) return false;
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
    if (!write(buffer_) || !sync()) return false;
    buffer_ = std::string();
    // The journal is a new file: its name must be durable too.
    return platform::SyncFolder(FolderOf(path_), error_);
}

bool JournalWriter::writeAmendments(const std::vector<std::pair<std::int64_t, PlanEntry>>& changed) {
    if (!flush()) return false;
    buffer_.clear();
    AppendAmendments(changed, buffer_);
    return write(buffer_) && sync();
}

void JournalWriter::addOutcome(std::int64_t index, OutcomeRecord record) {
    pending_.emplace_back(index, std::move(record));
}

bool JournalWriter::flush() {
    if (pending_.empty()) return true;
    buffer_.clear();
    AppendOutcomes(pending_, buffer_);
    pending_.clear();
    return write(buffer_);
}

bool JournalWriter::writeStep(bool begin, const StepRecord& step) {
    buffer_.clear();
    AppendOutcomes(pending_, buffer_);
    pending_.clear();
    AppendStep(begin, step, buffer_);
    return write(buffer_);
}

bool JournalWriter::finish() {
    buffer_.clear();
    AppendOutcomes(pending_, buffer_);
    pending_.clear();
    AppendFinished(buffer_);
    return write(buffer_) && sync();
}

void JournalWriter::close() { file_.close(); }

}  // namespace kestrix::session
