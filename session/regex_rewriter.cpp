#include "session/regex_rewriter.h"

#include <utility>

#include "engine/utf8.h"

namespace kestrix::session {

namespace {

// PCRE2's own messages for the mistakes people make most, in Polish (they
// are matched in English, as Qt gives them without its translation).
QString PolishPatternError(const QString& message) {
    static const std::pair<const char*, const char*> Known[] = {
        {"missing closing parenthesis", "brak nawiasu zamykającego \")\""},
        {"missing )", "brak nawiasu zamykającego \")\""},
        {"unmatched closing parenthesis", "nawias \")\" bez nawiasu otwierającego"},
        {"missing terminating ] for character class", "brak nawiasu \"]\" zamykającego zbiór znaków"},
        {"quantifier does not follow a repeatable item",
         "powtórzenie (*, +, ? lub {}) nie ma czego powtarzać"},
        {"nothing to repeat", "powtórzenie (*, +, ? lub {}) nie ma czego powtarzać"},
        {"\\ at end of pattern", "znak \"\\\" na końcu wzorca"},
        {"numbers out of order in {} quantifier", "liczby w {} w złej kolejności"},
        {"range out of order in character class", "zakres znaków w złej kolejności"},
        {"reference to non-existent subpattern", "odwołanie do nieistniejącej grupy"},
        {"unrecognized character follows \\", "nieznany znak po \"\\\""},
    };
    for (const auto& [english, polish] : Known) {
        if (message.contains(QLatin1String(english), Qt::CaseInsensitive)) return QString::fromUtf8(polish);
    }
    // Where the program loads Qt's Polish translation, the message comes in
    // Polish already: a letter beyond ASCII tells.
    for (const QChar c : message) {
        if (c.unicode() > 127) return message;
    }
    return QStringLiteral("błąd składni wzorca");
}

}  // namespace

std::shared_ptr<const RegexRewriter> RegexRewriter::Make(const ExtendedOptions& options, std::string& error,
                                                         const RegexRewriter* previous) {
    QRegularExpression::PatternOptions patternOptions = QRegularExpression::UseUnicodePropertiesOption;
    if (!options.RegexCaseSensitive) patternOptions |= QRegularExpression::CaseInsensitiveOption;
    const QString pattern = QString::fromStdString(options.RegexPattern);
    auto rewriter = std::make_shared<RegexRewriter>();
    if (previous && previous->matcher_->expression().pattern() == pattern &&
        previous->matcher_->expression().patternOptions() == patternOptions &&
        previous->matcher_->all() == options.RegexAllOccurrences) {
        rewriter->matcher_ = previous->matcher_;
    } else {
        QRegularExpression expression(pattern, patternOptions);
        if (!expression.isValid()) {
            error = QStringLiteral("Błędny wzorzec (znak nr %1): %2")
                        .arg(expression.patternErrorOffset() + 1)
                        .arg(PolishPatternError(expression.errorString()))
                        .toStdString();
            return nullptr;
        }
        expression.optimize();
        rewriter->matcher_ = std::make_shared<const Matcher>(expression, options.RegexAllOccurrences);
    }

    const QRegularExpression& expression = rewriter->matcher_->expression();
    const int groups = expression.captureCount();
    const QStringList names = expression.namedCaptureGroups();
    const QString replacement = QString::fromStdString(options.RegexReplacement);
    QString literal;
    auto flush = [&] {
        if (!literal.isEmpty()) rewriter->replacement_.push_back({literal.toStdString(), -1});
        literal.clear();
    };
    for (qsizetype i = 0; i < replacement.size(); ++i) {
        const QChar c = replacement[i];
        if (c != u'$') {
            literal.append(c);
            continue;
        }
        const QChar next = i + 1 < replacement.size() ? replacement[i + 1] : QChar();
        if (next == u'$') {
            literal.append(u'$');
            ++i;
        } else if (next >= u'1' && next <= u'9') {
            const int group = next.digitValue();
            if (group > groups) {
                error = QStringLiteral("W zamianie jest $%1, a wzorzec ma grup: %2")
                            .arg(group)
                            .arg(groups)
                            .toStdString();
                return nullptr;
            }
            flush();
            rewriter->replacement_.push_back({{}, group});
            ++i;
        } else if (next == u'{' && replacement.indexOf(u'}', i + 2) > i + 2) {
            const qsizetype close = replacement.indexOf(u'}', i + 2);
            const QString name = replacement.mid(i + 2, close - i - 2);
            const qsizetype group = names.indexOf(name);
            if (group <= 0) {
                error = QStringLiteral("W zamianie jest ${%1}, a wzorzec nie ma grupy o tej nazwie")
                            .arg(name)
                            .toStdString();
                return nullptr;
            }
            flush();
            rewriter->replacement_.push_back({{}, static_cast<int>(group)});
            i = close;
        } else {
            error = QStringLiteral(
                        "W zamianie po znaku \"$\" (znak nr %1) musi stać cyfra od 1 do 9, "
                        "{nazwa grupy} albo drugi \"$\"")
                        .arg(i + 1)
                        .toStdString();
            return nullptr;
        }
    }
    flush();
    return rewriter;
}

void RegexRewriter::Matcher::find(std::string_view text, std::vector<std::int32_t>& offsets) const {
    // Typing a replacement runs the same pattern over the same names again
    // and again: each name is matched once.
    const std::lock_guard lock(mutex_);
    const auto known = found_.find(std::string(text));
    if (known != found_.end()) {
        offsets = known->second;
        return;
    }
    search(text, offsets);
    // A bound on what is kept, far above any list's length.
    if (found_.size() >= 4'000'000) found_.clear();
    found_.emplace(text, offsets);
}

void RegexRewriter::Matcher::search(std::string_view text, std::vector<std::int32_t>& offsets) const {
    offsets.clear();
    const QString subject = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    // Where each UTF-16 position of the subject lies in the UTF-8 text;
    // computed once a match is found, and only for text beyond ASCII.
    std::vector<std::int32_t> bytes;
    auto byteAt = [&](qsizetype position) -> std::int32_t {
        if (position < 0) return -1;
        if (static_cast<qsizetype>(text.size()) == subject.size()) return static_cast<std::int32_t>(position);
        if (bytes.empty()) {
            bytes.reserve(static_cast<std::size_t>(subject.size()) + 1);
            std::size_t byte = 0;
            for (qsizetype unit = 0; unit < subject.size(); ++unit) {
                bytes.push_back(static_cast<std::int32_t>(byte));
                if (subject[unit].isHighSurrogate()) {
                    bytes.push_back(static_cast<std::int32_t>(byte));
                    ++unit;
                }
                byte += utf8::CharLength(text, byte);
            }
            bytes.push_back(static_cast<std::int32_t>(byte));
        }
        return bytes[static_cast<std::size_t>(position)];
    };
    const int groups = expression_.captureCount();
    auto record = [&](const QRegularExpressionMatch& match) {
        for (int group = 0; group <= groups; ++group) {
            offsets.push_back(byteAt(match.capturedStart(group)));
            offsets.push_back(byteAt(match.capturedEnd(group)));
        }
    };
    if (all_) {
        QRegularExpressionMatchIterator matches = expression_.globalMatch(subject);
        while (matches.hasNext()) record(matches.next());
    } else if (const QRegularExpressionMatch match = expression_.match(subject); match.hasMatch()) {
        record(match);
    }
}

void RegexRewriter::Rewrite(std::string_view text, std::string& out) const {
    if (!utf8::IsValid(text)) {
        out.append(text);
        return;
    }
    thread_local std::vector<std::int32_t> offsets;
    matcher_->find(text, offsets);
    const std::size_t row = 2 * (static_cast<std::size_t>(matcher_->expression().captureCount()) + 1);
    std::size_t copied = 0;
    for (std::size_t match = 0; match + row <= offsets.size(); match += row) {
        const auto start = static_cast<std::size_t>(offsets[match]);
        out.append(text.substr(copied, start - copied));
        for (const Piece& piece : replacement_) {
            if (piece.group < 0) {
                out.append(piece.literal);
                continue;
            }
            const std::int32_t from = offsets[match + 2 * static_cast<std::size_t>(piece.group)];
            const std::int32_t to = offsets[match + 2 * static_cast<std::size_t>(piece.group) + 1];
            if (from >= 0)
                out.append(text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from)));
        }
        copied = static_cast<std::size_t>(offsets[match + 1]);
    }
    out.append(text.substr(copied));
}

}  // namespace kestrix::session
