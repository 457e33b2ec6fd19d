#include "session/rule_sets.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <functional>
#include <utility>
#include <vector>

#include <QFile>

#include "platform/config_files.h"
#include "platform/error_text.h"
#include "platform/folders.h"
#include "platform/ini_file.h"
#include "platform/state_files.h"

namespace kestrix::session {

namespace {

constexpr char Section[] = "Zestaw";
constexpr char Suffix[] = ".ini";
constexpr int MaxNameLength = 100;

// One key of a set file: how its value is read from and written to a set.
struct Field {
    const char* key;
    enum class Kind { Flag, Number, Text } kind;
    int minimum = 0;
    int maximum = 0;
    std::function<std::string(const RuleSet&)> write;
    std::function<void(RuleSet&, const std::string&)> read;  // the value already checked
};

Field Flag(const char* key, bool RenameOptions::*member) {
    return {key,
            Field::Kind::Flag,
            0,
            1,
            [member](const RuleSet& s) { return std::string(s.options.*member ? "1" : "0"); },
            [member](RuleSet& s, const std::string& v) { s.options.*member = v == "1"; }};
}
Field Flag(const char* key, bool ExtendedOptions::*member) {
    return {key,
            Field::Kind::Flag,
            0,
            1,
            [member](const RuleSet& s) { return std::string(s.extended.*member ? "1" : "0"); },
            [member](RuleSet& s, const std::string& v) { s.extended.*member = v == "1"; }};
}
Field Number(const char* key, int RenameOptions::*member, int minimum, int maximum) {
    return {key,
            Field::Kind::Number,
            minimum,
            maximum,
            [member](const RuleSet& s) { return std::to_string(s.options.*member); },
            [member](RuleSet& s, const std::string& v) { s.options.*member = std::stoi(v); }};
}
Field Text(const char* key, std::string RenameOptions::*member) {
    return {key,
            Field::Kind::Text,
            0,
            0,
            [member](const RuleSet& s) { return s.options.*member; },
            [member](RuleSet& s, const std::string& v) { s.options.*member = v; }};
}
Field Text(const char* key, std::string ExtendedOptions::*member) {
    return {key,
            Field::Kind::Text,
            0,
            0,
            [member](const RuleSet& s) { return s.extended.*member; },
            [member](RuleSet& s, const std::string& v) { s.extended.*member = v; }};
}
// An enumeration kept as its index.
template <typename Enum>
Field Choice(const char* key, Enum RenameOptions::*member, int count) {
    return {
        key,
        Field::Kind::Number,
        0,
        count - 1,
        [member](const RuleSet& s) { return std::to_string(static_cast<int>(s.options.*member)); },
        [member](RuleSet& s, const std::string& v) { s.options.*member = static_cast<Enum>(std::stoi(v)); }};
}

const std::vector<Field>& Fields() {
    static const std::vector<Field> fields = {
        Flag("ZmianaRozszerzen", &RenameOptions::ChangeExtension),
        Text("NoweRozszerzenie", &RenameOptions::NewExtension),
        Number("Zakres", &RenameOptions::Scope, 0, 2),
        Flag("Zamiana", &RenameOptions::ReplaceEnabled),
        Text("ZamianaZ", &RenameOptions::ReplaceFrom),
        Text("ZamianaNa", &RenameOptions::ReplaceTo),
        Flag("Usuwanie", &RenameOptions::DeleteEnabled),
        Choice("UsuwanieOd", &RenameOptions::DeleteMode, 3),
        Number("UsuwanieIle", &RenameOptions::DeleteCount, 0, 100),
        Number("UsuwaniePozycja", &RenameOptions::DeletePosition, 0, 100),
        Flag("Dodawanie", &RenameOptions::InsertEnabled),
        Choice("DodawanieGdzie", &RenameOptions::InsertMode, 3),
        Text("DodawanieTekst", &RenameOptions::InsertText),
        Number("DodawaniePozycja", &RenameOptions::InsertPosition, 0, 100),
        Flag("WielkoscLiter", &RenameOptions::CaseEnabled),
        Flag("NaMale", &RenameOptions::CaseToLower),
        Flag("Odstepy", &RenameOptions::SpacesEnabled),
        Flag("OdstepyNaPodkreslniki", &RenameOptions::SpacesToUnderscores),
        Flag("Numerowanie", &RenameOptions::NumberEnabled),
        Text("NumerowanieOd", &RenameOptions::NumberStart),
        Flag("NumerowanieRosnace", &RenameOptions::NumberAscending),
        Flag("DodawajZer", &RenameOptions::NumberLeadingZeros),
        Choice("NumerowanieGdzie", &RenameOptions::NumberMode, 3),
        Number("NumerowaniePozycja", &RenameOptions::NumberPosition, 0, 100),
        {"PodgladPoZamknieciu", Field::Kind::Flag, 0, 1,
         [](const RuleSet& s) { return std::string(s.previewOnClose ? "1" : "0"); },
         [](RuleSet& s, const std::string& v) { s.previewOnClose = v == "1"; }},
        {"WczytujPonownie", Field::Kind::Flag, 0, 1,
         [](const RuleSet& s) { return std::string(s.reloadAfterApply ? "1" : "0"); },
         [](RuleSet& s, const std::string& v) { s.reloadAfterApply = v == "1"; }},
        Flag("Wyrazenie", &ExtendedOptions::RegexEnabled),
        Text("WyrazenieWzorzec", &ExtendedOptions::RegexPattern),
        Text("WyrazenieZamiana", &ExtendedOptions::RegexReplacement),
        Flag("WyrazenieWielkoscLiter", &ExtendedOptions::RegexCaseSensitive),
        Flag("WyrazenieWszystkie", &ExtendedOptions::RegexAllOccurrences),
        Flag("Szablon", &ExtendedOptions::TemplateEnabled),
        Text("SzablonTekst", &ExtendedOptions::Template),
        {"SzablonNumerOd", Field::Kind::Number, 0, ExtendedOptions::MaxTemplateStart,
         [](const RuleSet& s) { return std::to_string(s.extended.TemplateStart); },
         [](RuleSet& s, const std::string& v) { s.extended.TemplateStart = std::stoi(v); }},
        Flag("BezPolskichZnakow", &ExtendedOptions::PlainLetters),
        Flag("WielkoscWyrazow", &ExtendedOptions::WordCaseEnabled),
        {"WielkoscWyrazowRodzaj", Field::Kind::Number, 0, 1,
         [](const RuleSet& s) { return std::to_string(static_cast<int>(s.extended.WordCase)); },
         [](RuleSet& s, const std::string& v) { s.extended.WordCase = static_cast<WordCase>(std::stoi(v)); }},
    };
    return fields;
}

// The store trims values: a text is kept between quotes, so that its own
// spaces at either end stay; a hand-written value without them counts too.
std::string Quoted(const std::string& text) { return "\"" + text + "\""; }
std::string Unquoted(const std::string& value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}

bool IsNumber(const std::string& value, int minimum, int maximum) {
    int number = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), number);
    return !value.empty() && ec == std::errc() && end == value.data() + value.size() && number >= minimum &&
           number <= maximum;
}

QString Text(const std::string& bytes) { return QString::fromStdString(bytes); }

}  // namespace

RuleSetStore::RuleSetStore(std::string folder) : folder_(std::move(folder)) {
    if (!folder_.empty() && folder_.back() != '/') folder_.push_back('/');
}

std::string RuleSetStore::DefaultFolder() {
    const std::string config = platform::ConfigFolder();
    return config.empty() ? std::string() : config + "zestawy/";
}

QString RuleSetStore::NameProblem(const QString& name) {
    if (name.isEmpty()) return QStringLiteral("Nazwa zestawu nie może być pusta.");
    if (name.contains(u'/')) return QStringLiteral("Nazwa zestawu nie może zawierać znaku \"/\".");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("Nazwa zestawu nie może być \".\" ani \"..\".");
    if (name.toUcs4().size() > MaxNameLength)
        return QStringLiteral("Nazwa zestawu może mieć najwyżej %1 znaków.").arg(MaxNameLength);
    return {};
}

std::string RuleSetStore::pathOf(const QString& name) const {
    return folder_ + QFile::encodeName(name).toStdString() + Suffix;
}

QStringList RuleSetStore::names() const {
    QStringList names;
    if (folder_.empty()) return names;
    const std::string suffix = Suffix;
    for (const platform::FolderItem& item : platform::ListFolder(folder_)) {
        if (item.isFolder || item.name.size() <= suffix.size() || !item.name.ends_with(suffix)) continue;
        const QString name = QFile::decodeName(
            QByteArray::fromStdString(item.name.substr(0, item.name.size() - suffix.size())));
        if (NameProblem(name).isEmpty()) names.append(name);
    }
    names.sort(Qt::CaseInsensitive);
    return names;
}

bool RuleSetStore::contains(const QString& name) const {
    return NameProblem(name).isEmpty() && platform::Exists(pathOf(name));
}

QString RuleSetStore::save(const QString& name, const RuleSet& set) const {
    if (const QString problem = NameProblem(name); !problem.isEmpty()) return problem;
    const QString failure = QStringLiteral("Nie udało się zapisać zestawu \"%1\"").arg(name);
    int error = 0;
    if (folder_.empty() || !platform::MakeFolders(folder_, error)) {
        return failure + QStringLiteral(": ") + Text(platform::ErrorText(error != 0 ? error : ENOENT)) + u'.';
    }
    std::vector<std::pair<std::string, std::string>> values;
    for (const Field& field : Fields()) {
        std::string value = field.write(set);
        values.emplace_back(field.key, field.kind == Field::Kind::Text ? Quoted(value) : std::move(value));
    }
    platform::IniFile file(pathOf(name));
    if (!file.writeStrings(Section, values)) return failure + u'.';
    return {};
}

RuleSetStore::Loaded RuleSetStore::load(const QString& name) const {
    Loaded loaded;
    if (!NameProblem(name).isEmpty() || !platform::Exists(pathOf(name))) return loaded;
    loaded.found = true;
    const platform::IniFile file(pathOf(name));
    for (const Field& field : Fields()) {
        const std::optional<std::string> value = file.readString(Section, field.key);
        if (!value) {
            loaded.skipped.append(QStringLiteral("brak %1").arg(QLatin1String(field.key)));
            continue;
        }
        switch (field.kind) {
            case Field::Kind::Text:
                field.read(loaded.set, Unquoted(*value));
                continue;
            case Field::Kind::Flag:
            case Field::Kind::Number:
                if (IsNumber(*value, field.minimum, field.maximum)) {
                    field.read(loaded.set, *value);
                } else {
                    loaded.skipped.append(QStringLiteral("%1 = \"%2\" (dozwolone od %3 do %4)")
                                              .arg(QLatin1String(field.key), Text(*value))
                                              .arg(field.minimum)
                                              .arg(field.maximum));
                }
                continue;
        }
    }
    return loaded;
}

QString RuleSetStore::remove(const QString& name) const {
    if (const QString problem = NameProblem(name); !problem.isEmpty()) return problem;
    int error = 0;
    if (!platform::RemoveFile(pathOf(name), error)) {
        return QStringLiteral("Nie udało się usunąć zestawu \"%1\": %2.")
            .arg(name, Text(platform::ErrorText(error)));
    }
    return {};
}

}  // namespace kestrix::session
