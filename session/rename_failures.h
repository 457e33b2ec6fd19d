#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>

#include "run/outcome_handoff.h"

namespace kestrix::session {

// The renames of one run that could not be done, for the report shown after
// the run: all of them counted, the first few kept with the reason.
class RenameFailures {
public:
    static constexpr int kListed = 10;

    // What failed: renames of a run, or renames back of an undo.
    enum class Of { Renames, UndoneRenames };
    explicit RenameFailures(Of of = Of::Renames) : of_(of) {}

    // A failed entry: its paths and why, as the run reported them.
    void add(const run::EntryOutcome& outcome);
    // A line of its own after the list (the end of the run's journal could not be written).
    void addNote(const QString& note) { notes_.append(note); }
    std::int64_t count() const { return count_; }
    bool empty() const { return count_ == 0 && notes_.isEmpty(); }
    // "Nie udało się zmienić nazwy N plików:" ("cofnąć zmiany nazwy" for an
    // undo) and one line per kept failure: the path, the name it was to get,
    // and why it did not; then the notes.
    QString messageText() const;

private:
    Of of_;
    QStringList notes_;
    struct Failure {
        std::string from;
        std::string to;
        run::RunFailure failure;
    };
    std::vector<Failure> listed_;
    std::int64_t count_ = 0;
};

// Why a rename failed, in the user's words: the system's error, the name's
// fault, and where the item was left when a step could not be undone.
std::string FailureReason(const run::RunFailure& failure);

// Under the question whether to apply the list, while `count` renames are
// predicted to fail: "Nie uda się zmienić nazwy N plików ...".
QString ConflictsNote(std::int64_t count);

}  // namespace kestrix::session
