#pragma once

#include <string>

#include <QString>
#include <QStringList>

#include "engine/extended_options.h"
#include "engine/rename_options.h"

namespace kestrix::session {

// Every option of the two rule windows, kept under a name.
struct RuleSet {
    RenameOptions options;
    ExtendedOptions extended;
    bool previewOnClose = false;
    bool reloadAfterApply = true;
    friend bool operator==(const RuleSet&, const RuleSet&) = default;
};

// The saved rule sets: one INI file per set, "<name>.ini" in a folder of
// their own (by default "zestawy" in the user's configuration folder),
// written through the INI store, so a crash never leaves half a set. Only
// saving writes; nothing else touches the folder but removing a set.
class RuleSetStore {
public:
    explicit RuleSetStore(std::string folder = DefaultFolder());
    static std::string DefaultFolder();

    // Why `name` cannot name a set, in Polish; empty when it can.
    static QString NameProblem(const QString& name);

    // The names of the saved sets, sorted.
    QStringList names() const;
    bool contains(const QString& name) const;

    // Saves `set` under `name` (replacing a set of that name); what went
    // wrong, empty when all went well.
    QString save(const QString& name, const RuleSet& set) const;

    struct Loaded {
        bool found = false;
        RuleSet set;          // the defaults where the file holds nothing valid
        QStringList skipped;  // what was missing or not valid, one note each
    };
    Loaded load(const QString& name) const;

    // Removes the set; what went wrong, empty when all went well.
    QString remove(const QString& name) const;

private:
    std::string pathOf(const QString& name) const;

    std::string folder_;
};

}  // namespace kestrix::session
