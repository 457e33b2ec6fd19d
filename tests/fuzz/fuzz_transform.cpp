// Feeds arbitrary paths, options, further rules (a name template, plain
// letters, word case) and facts to the name transformation and the other
// engine routines. Aborts when a transformation changes the folder part, turns
// well-formed UTF-8 into something else, or refuses options for any reason but
// an unconvertible start value.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "duplicates.h"
#include "extended_rules.h"
#include "list_entry.h"
#include "name_transform.h"
#include "rule_summary.h"
#include "start_value.h"
#include "utf8.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

kestrix::RenameOptions ReadOptions(FuzzedDataProvider& data) {
    kestrix::RenameOptions o;
    o.ChangeExtension = data.ConsumeBool();
    o.NewExtension = data.ConsumeRandomLengthString(16);
    o.Scope = data.ConsumeIntegralInRange(-1, 3);
    o.ReplaceEnabled = data.ConsumeBool();
    o.ReplaceFrom = data.ConsumeRandomLengthString(8);
    o.ReplaceTo = data.ConsumeRandomLengthString(16);
    o.DeleteEnabled = data.ConsumeBool();
    o.DeleteMode = static_cast<kestrix::DeleteMode>(data.ConsumeIntegralInRange(0, 2));
    o.DeleteCount = data.ConsumeIntegral<int>();
    o.DeletePosition = data.ConsumeIntegral<int>();
    o.InsertEnabled = data.ConsumeBool();
    o.InsertMode = static_cast<kestrix::PlaceMode>(data.ConsumeIntegralInRange(0, 2));
    o.InsertText = data.ConsumeRandomLengthString(16);
    o.InsertPosition = data.ConsumeIntegral<int>();
    o.CaseEnabled = data.ConsumeBool();
    o.CaseToLower = data.ConsumeBool();
    o.SpacesEnabled = data.ConsumeBool();
    o.SpacesToUnderscores = data.ConsumeBool();
    o.NumberEnabled = data.ConsumeBool();
    o.NumberStart = data.ConsumeRandomLengthString(12);
    o.NumberAscending = data.ConsumeBool();
    o.NumberLeadingZeros = data.ConsumeBool();
    o.NumberMode = static_cast<kestrix::PlaceMode>(data.ConsumeIntegralInRange(0, 2));
    o.NumberPosition = data.ConsumeIntegral<int>();
    return o;
}

kestrix::ExtendedOptions ReadExtended(FuzzedDataProvider& data) {
    kestrix::ExtendedOptions o;
    o.TemplateEnabled = data.ConsumeBool();
    o.Template = data.ConsumeRandomLengthString(24);
    o.TemplateStart = data.ConsumeIntegralInRange(0, kestrix::ExtendedOptions::MaxTemplateStart);
    o.PlainLetters = data.ConsumeBool();
    o.WordCaseEnabled = data.ConsumeBool();
    o.WordCase = data.ConsumeBool() ? kestrix::WordCase::EveryWord : kestrix::WordCase::FirstCapital;
    return o;
}

kestrix::ItemFacts ReadFacts(FuzzedDataProvider& data) {
    kestrix::ItemFacts facts;
    auto date = [&]() -> std::optional<kestrix::DateTime> {
        if (!data.ConsumeBool()) return std::nullopt;
        return kestrix::DateTime{data.ConsumeIntegral<int>(), data.ConsumeIntegral<int>(),
                                 data.ConsumeIntegral<int>(), data.ConsumeIntegral<int>(),
                                 data.ConsumeIntegral<int>(), data.ConsumeIntegral<int>()};
    };
    auto text = [&]() -> std::optional<std::string> {
        if (!data.ConsumeBool()) return std::nullopt;
        return data.ConsumeRandomLengthString(12);
    };
    facts.dateTaken = date();
    facts.modified = date();
    facts.folder = text();
    facts.camera = text();
    facts.artist = text();
    facts.title = text();
    facts.album = text();
    if (data.ConsumeBool()) facts.track = data.ConsumeIntegral<std::uint32_t>();
    if (data.ConsumeBool()) facts.year = data.ConsumeIntegral<std::uint32_t>();
    return facts;
}

bool FactsValid(const kestrix::ItemFacts& facts) {
    for (const auto* text : {&facts.folder, &facts.camera, &facts.artist, &facts.title, &facts.album}) {
        if (*text && !kestrix::utf8::IsValid(**text)) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const kestrix::RenameOptions options = ReadOptions(data);
    const kestrix::ExtendedOptions extended = ReadExtended(data);
    const kestrix::ItemFacts facts = ReadFacts(data);
    const std::int64_t count = data.ConsumeIntegralInRange<std::int64_t>(0, INT32_MAX);
    const std::int64_t index = data.ConsumeIntegralInRange<std::int64_t>(0, count);
    const std::string path = data.ConsumeRemainingBytesAsString();

    const bool startConverts = kestrix::ParseStartValue(options.NumberStart).has_value();
    std::optional<kestrix::RenameRules> rules = kestrix::RenameRules::From(options);
    if (!rules) {
        Check(options.numberingInForce() && !startConverts);
        return 0;
    }
    rules->setExtended(std::make_shared<const kestrix::ExtendedRules>(
        extended, nullptr, "",
        [&facts](std::string_view, std::int64_t, kestrix::FactKinds) { return facts; }));
    Check(!options.numberingInForce() || startConverts);
    std::vector<kestrix::ListEntry> entries;
    entries.push_back(kestrix::TransformPath(path, index, count, *rules));
    for (const std::string& line : kestrix::RuleSummaryLines(*rules, count)) Check(!line.empty());

    const kestrix::ListEntry entry = entries.front();
    Check(entry.current == path);
    Check(entry.proposed.starts_with(kestrix::FolderPart(path)));
    const bool validIn = kestrix::utf8::IsValid(path) && kestrix::utf8::IsValid(options.NewExtension) &&
                         kestrix::utf8::IsValid(options.ReplaceFrom) &&
                         kestrix::utf8::IsValid(options.ReplaceTo) &&
                         kestrix::utf8::IsValid(options.InsertText) &&
                         kestrix::utf8::IsValid(extended.Template) && FactsValid(facts);
    // An entry that lacks a fact keeps its path.
    if (entry.missing != kestrix::MissingFact::None) Check(entry.proposed == path);
    if (validIn) Check(kestrix::utf8::IsValid(entry.proposed));

    // The text form reads back whenever the paths hold no tag text.
    const std::string text = entry.text();
    if (path.find('<') == std::string::npos && entry.proposed.find('<') == std::string::npos) {
        Check(kestrix::ExtractTagText(text, "<n1>") == entry.current);
        Check(kestrix::ExtractTagText(text, "<n2>") == entry.proposed);
    }

    entries.push_back(entry);
    entries.push_back(kestrix::TransformPath(path, index + 1, count, *rules));
    entries.push_back(entry);
    Check(kestrix::RemoveDuplicateEntries(entries));
    Check(entries.size() <= 2 && entries.front() == entry);
    return 0;
}
