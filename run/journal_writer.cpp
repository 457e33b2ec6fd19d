#include "run/journal_writer.h"

#include <cerrno>

#include "engine/path_parts.h"

namespace kestrix::run {

bool JournalWriter::create(const std::string& path, const JournalHeader& header) {
    path_ = path;
    const std::string folder(FolderPart(path));
    if (!platform::MakeFolders(folder, error_)) return false;
    if (platform::FolderPrivacy(folder) != platform::Privacy::Private) {
        // A journal there could be changed by others before a start reads it.
        error_ = EPERM;
        return false;
    }
    // The header goes in before the journal is visible under its name.
    buffer_.clear();
    AppendHeader(header, buffer_);
    if (file_.create(path, buffer_)) return true;
    error_ = file_.error();
    return false;
}

bool JournalWriter::renameTo(const std::string& path) {
    if (!file_.renameTo(path)) {
        error_ = file_.error();
        return false;
    }
    path_ = path;
    return true;
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
    const auto appendRecord = [&plan](size_t first, std::string& out) {
        return AppendPlanPart(plan, first, out);
    };
    if (!writeInPieces(plan.size(), appendRecord)) return false;
    AppendPlanComplete(plan.size(), buffer_);
    return write(buffer_);
}

bool JournalWriter::syncPlan() {
    // The journal is a new file: its name must be durable too.
    return sync() && platform::SyncFolder(std::string(FolderPart(path_)), error_);
}

bool JournalWriter::writeIdentities(const std::vector<PlanEntry>& plan) {
    const auto appendRecord = [&plan](size_t first, std::string& out) {
        return AppendIdentitiesPart(plan, first, out);
    };
    return writeInPieces(plan.size(), appendRecord) && write(buffer_);
}

// Records of a long list go out in pieces of about this many bytes: no buffer
// grows to the size of the list.
constexpr size_t kWritePiece = 256 * 1024;

// Appends the records of entries 0 to `count` to the buffer, writing it
// whenever it holds a piece; the rest stays in the buffer.
bool JournalWriter::writeInPieces(size_t count,
                                  const std::function<size_t(size_t, std::string&)>& appendRecord) {
    buffer_.clear();
    for (size_t first = 0; first < count;) {
        first = appendRecord(first, buffer_);
        if (buffer_.size() < kWritePiece) continue;
        if (!write(buffer_)) return false;
        buffer_.clear();
    }
    return true;
}

bool JournalWriter::writeAmendments(const std::vector<std::pair<std::int64_t, PlanEntry>>& changed) {
    if (!flush()) return false;
    const auto appendRecord = [&changed](size_t first, std::string& out) {
        return AppendAmendmentsPart(changed, first, out);
    };
    return writeInPieces(changed.size(), appendRecord) && write(buffer_) && sync();
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

bool JournalWriter::writeChoice(Settling choice) {
    buffer_.clear();
    AppendChoice(choice, buffer_);
    return write(buffer_) && sync();
}

bool JournalWriter::finish() {
    buffer_.clear();
    AppendOutcomesRecord(pendingCount_, pending_, buffer_);
    pending_.clear();
    pendingCount_ = 0;
    AppendFinished(buffer_);
    return write(buffer_) && sync();
}

bool JournalWriter::finish(const RunSummary& summary) {
    if (!finish()) return false;
    buffer_.clear();
    AppendSummary(summary, buffer_);
    // Only the history shows the summary, and reads the whole journal of a
    // run without one: the run has ended either way.
    if (write(buffer_)) sync();
    return true;
}

void JournalWriter::close() { file_.close(); }

}  // namespace kestrix::run
