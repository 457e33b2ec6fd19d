#include "extended_rules.h"

#include <utility>

#include "plain_letters.h"

namespace kestrix {

ExtendedRules::ExtendedRules(const ExtendedOptions& options, std::shared_ptr<const TextRewriter> regex,
                             std::string regexError, FactsReader facts)
    : options_(options),
      regex_(std::move(regex)),
      regexError_(std::move(regexError)),
      facts_(std::move(facts)) {
    if (!options_.regexInForce()) {
        regex_.reset();
        regexError_.clear();
    }
    if (options_.templateInForce()) template_ = NameTemplate::Parse(options_.Template, templateError_);
}

bool ExtendedRules::active() const {
    return valid() && (regex_ || template_ || options_.PlainLetters || options_.WordCaseEnabled);
}

MissingFact ExtendedRules::Apply(std::string_view path, std::int64_t index, std::string& work) const {
    if (!active()) return MissingFact::None;
    thread_local std::string next;
    next.clear();
    if (regex_) {
        regex_->Rewrite(work, next);
        work.swap(next);
    }
    if (template_) {
        ItemFacts facts;
        if (template_->needs() != 0 && facts_) facts = facts_(path, index, template_->needs());
        next.clear();
        const std::int64_t number = static_cast<std::int64_t>(options_.TemplateStart) + index;
        const MissingFact missing = template_->Expand(work, number, facts, next);
        if (missing != MissingFact::None) return missing;
        work.swap(next);
    }
    if (options_.PlainLetters) work = WithoutDiacritics(work);
    if (options_.WordCaseEnabled) work = InWordCase(work, options_.WordCase);
    return MissingFact::None;
}

}  // namespace kestrix
