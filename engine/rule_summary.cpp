#include "rule_summary.h"

#include <optional>
#include <string_view>

namespace kestrix {

namespace {

std::string Quoted(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 2);
    result.append("\"").append(text).append("\"");
    return result;
}

std::string_view InsertPlace(PlaceMode mode) {
    switch (mode) {
        case PlaceMode::AtStart:
            return "na początku nazwy";
        case PlaceMode::AtEnd:
            return "na końcu nazwy";
        case PlaceMode::AfterPosition:
            break;
    }
    return "na pozycji : ";
}

std::string_view DeletePlace(DeleteMode mode) {
    switch (mode) {
        case DeleteMode::FromStart:
            return "od początku nazwy";
        case DeleteMode::FromEnd:
            return "od końca nazwy";
        case DeleteMode::FromPosition:
            break;
    }
    return "od pozycji : ";
}

std::string_view NumberPlace(PlaceMode mode) {
    switch (mode) {
        case PlaceMode::AtStart:
            return " na początku nazwy";
        case PlaceMode::AtEnd:
            return " na końcu nazwy";
        case PlaceMode::AfterPosition:
            break;
    }
    return " za znakiem : ";
}

void AppendExtendedLines(const ExtendedRules& extended, std::vector<std::string>& lines) {
    const ExtendedOptions& options = extended.options();
    if (options.regexInForce()) {
        std::string line = "Wyrażenie regularne : " + Quoted(options.RegexPattern);
        if (!extended.regexError().empty()) {
            line.append(" jest błędne, nazwy pozostają bez zmian");
        } else {
            line.append(" na : ").append(Quoted(options.RegexReplacement));
            line.append(options.RegexAllOccurrences ? ", wszystkie wystąpienia" : ", pierwsze wystąpienie");
            line.append(options.RegexCaseSensitive ? ", z uwzględnieniem wielkości liter"
                                                   : ", bez uwzględniania wielkości liter");
        }
        lines.push_back(std::move(line));
    }
    if (options.templateInForce()) {
        std::string line = "Szablon nazwy : " + Quoted(options.Template);
        if (!extended.templateError().empty()) {
            line.append(" jest błędny, nazwy pozostają bez zmian");
        } else if (extended.dependOnPosition()) {
            line.append(", numeracja od : ").append(std::to_string(options.TemplateStart));
        }
        lines.push_back(std::move(line));
    }
    if (options.PlainLetters) lines.emplace_back("Zamiana liter z ogonkami i akcentami na litery bez nich");
    if (options.WordCaseEnabled) {
        lines.emplace_back(options.WordCase == WordCase::FirstCapital
                               ? "Zamiana na małe litery z wielką pierwszą literą"
                               : "Zamiana na małe litery z wielką pierwszą literą każdego wyrazu");
    }
}

}  // namespace

std::vector<std::string> RuleSummaryLines(const RenameRules& rules, std::int64_t count) {
    const RenameOptions& options = rules.options();
    std::vector<std::string> lines;

    if (options.ChangeExtension) {
        lines.push_back("Zmiana rozszerzeń plików na : " + Quoted(options.NewExtension));
    }
    if (options.ReplaceEnabled) {
        lines.push_back("Zmiana znaków z : " + Quoted(options.ReplaceFrom) +
                        " na : " + Quoted(options.ReplaceTo));
    }
    if (options.InsertEnabled && !options.InsertText.empty()) {
        std::string line = "Dodawanie ciągu znaków : " + Quoted(options.InsertText) + " ";
        line.append(InsertPlace(options.InsertMode));
        if (options.InsertMode == PlaceMode::AfterPosition)
            line.append(std::to_string(options.InsertPosition));
        lines.push_back(std::move(line));
    }
    if (options.DeleteEnabled && options.DeleteCount > 0) {
        std::string line = "Usuń : " + std::to_string(options.DeleteCount) + " znaków, ";
        line.append(DeletePlace(options.DeleteMode));
        if (options.DeleteMode == DeleteMode::FromPosition)
            line.append(std::to_string(options.DeletePosition));
        lines.push_back(std::move(line));
    }
    if (options.CaseEnabled) {
        lines.emplace_back(options.CaseToLower ? "Zamiana na małe litery" : "Zamiana na duże litery");
    }
    if (options.SpacesEnabled) {
        lines.emplace_back(options.SpacesToUnderscores ? "Zamiana spacji na podkreślniki (\" \" na \"_\")"
                                                       : "Zamiana podkreślników na spacje (\"_\" na \" \")");
    }
    if (const std::optional<std::int32_t> start = rules.start()) {
        const std::int64_t end = options.NumberAscending ? *start + count - 1 : *start - count + 1;
        std::string line = "Numerowanie plików : ";
        line.append(options.NumberAscending ? "rosnąca numeracja, od : " : "malejąca numeracja, od : ");
        line.append(options.NumberStart).append(" do : ").append(std::to_string(end));
        line.append(NumberPlace(options.NumberMode));
        if (options.NumberMode == PlaceMode::AfterPosition)
            line.append(std::to_string(options.NumberPosition));
        if (options.NumberLeadingZeros) line.append(" z dodawaniem zer");
        lines.push_back(std::move(line));
    }
    if (const ExtendedRules* extended = rules.extended()) AppendExtendedLines(*extended, lines);
    return lines;
}

}  // namespace kestrix
