#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
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
    // reason in Polish in `error` when either cannot be used. A rewriter of
    // the same pattern made before (`previous`) lends what it has found, so
    // that a changed replacement matches no name again.
    static std::shared_ptr<const RegexRewriter> Make(const ExtendedOptions& options, std::string& error,
                                                     const RegexRewriter* previous = nullptr);

    // A name that is not UTF-8 is left as it is.
    void Rewrite(std::string_view text, std::string& out) const override;

private:
    // The compiled pattern and, for each text it was run on, where its
    // occurrences and their captures lie, in bytes of the UTF-8 text.
    class Matcher {
    public:
        Matcher(const QRegularExpression& expression, bool all) : expression_(expression), all_(all) {}
        const QRegularExpression& expression() const { return expression_; }
        bool all() const { return all_; }
        // For each occurrence, the start and end of the whole match and of
        // each capture (-1 for a capture that took no part), in one row.
        void find(std::string_view text, std::vector<std::int32_t>& offsets) const;

    private:
        void search(std::string_view text, std::vector<std::int32_t>& offsets) const;

        QRegularExpression expression_;
        bool all_;
        mutable std::mutex mutex_;
        mutable std::unordered_map<std::string, std::vector<std::int32_t>> found_;
    };

    struct Piece {
        std::string literal;
        int group = -1;  // a capture instead of the literal
    };

    std::shared_ptr<const Matcher> matcher_;
    std::vector<Piece> replacement_;
};

}  // namespace kestrix::session
