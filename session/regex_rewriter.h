#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <QRegularExpression>
#include <QString>

#include "engine/extended_options.h"
#include "engine/extended_rules.h"

namespace kestrix::session {

// The regular expression rule: PCRE2 with Unicode properties (so \w and \b
// know "ą" and "ł"), the replacement's $1..$9, ${name} and $$ standing for
// the captures and a dollar, each occurrence or only the first.
class RegexRewriter final : public TextRewriter {
public:
    // The rewriter of the options' pattern and replacement; null with the
    // reason in Polish in `error` when either cannot be used.
    static std::shared_ptr<const RegexRewriter> Make(const ExtendedOptions& options, std::string& error);

    // A name that is not UTF-8 is left as it is.
    void Rewrite(std::string_view text, std::string& out) const override;

private:
    struct Piece {
        QString literal;
        int group = -1;  // a capture instead of the literal
    };

    QRegularExpression expression_;
    std::vector<Piece> replacement_;
    bool all_ = true;
};

}  // namespace kestrix::session
