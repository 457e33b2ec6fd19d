#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "extended_options.h"
#include "item_facts.h"
#include "name_template.h"

namespace kestrix {

// A rule the engine applies without knowing how it works: the regular
// expression, which needs a library the engine does not use.
class TextRewriter {
public:
    virtual ~TextRewriter() = default;
    // Appends `text` rewritten to `out`.
    virtual void Rewrite(std::string_view text, std::string& out) const = 0;
};

// What is known about the item at a path, whose entry is proposed for list
// position `index`; only the facts asked for need be filled in.
using FactsReader = std::function<ItemFacts(std::string_view path, std::int64_t index, FactKinds wanted)>;

// The further rules made ready to apply. Rules with an error (a pattern that
// does not compile, a template with an unknown token) describe themselves but
// change no name.
class ExtendedRules {
public:
    // `regex` rewrites by the pattern, or is null with the reason in
    // `regexError` when the pattern does not compile; `facts` tells the
    // template what it needs to know about an item.
    ExtendedRules(const ExtendedOptions& options, std::shared_ptr<const TextRewriter> regex,
                  std::string regexError, FactsReader facts);

    const ExtendedOptions& options() const { return options_; }
    // Why the pattern or the template cannot be used; empty when it can.
    const std::string& regexError() const { return regexError_; }
    const std::string& templateError() const { return templateError_; }
    bool valid() const { return regexError_.empty() && templateError_.empty(); }
    // Whether any rule would change a name.
    bool active() const;
    // Whether the names they give depend on the positions of the entries.
    bool dependOnPosition() const { return template_ && template_->usesNumber(); }

    // Applies the rules to `work`, the part of the name at `path` that the
    // scope selects, for the entry at list position `index`. Returns the fact
    // the item lacks (None when nothing is missing); then `work` is not to be used.
    MissingFact Apply(std::string_view path, std::int64_t index, std::string& work) const;

private:
    ExtendedOptions options_;
    std::shared_ptr<const TextRewriter> regex_;
    std::string regexError_;
    std::optional<NameTemplate> template_;
    std::string templateError_;
    FactsReader facts_;
};

}  // namespace kestrix
