#include "session/regex_rewriter.h"

#include <utility>

#include "engine/utf8.h"

namespace kestrix::session {

namespace {

// PCRE2's own messages for the mistakes people make most, in Polish.
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
    return QStringLiteral("błąd składni wzorca");
}

}  // namespace

std::shared_ptr<const RegexRewriter> RegexRewriter::Make(const ExtendedOptions& options, std::string& error) {
    auto rewriter = std::make_shared<RegexRewriter>();
    QRegularExpression::PatternOptions patternOptions = QRegularExpression::UseUnicodePropertiesOption;
    if (!options.RegexCaseSensitive) patternOptions |= QRegularExpression::CaseInsensitiveOption;
    const QString pattern = QString::fromStdString(options.RegexPattern);
    rewriter->expression_.setPattern(pattern);
    rewriter->expression_.setPatternOptions(patternOptions);
    rewriter->all_ = options.RegexAllOccurrences;
    if (!rewriter->expression_.isValid()) {
        const qsizetype offset = rewriter->expression_.patternErrorOffset();
        error = QStringLiteral("Błędny wzorzec (znak nr %1): %2")
                    .arg(offset + 1)
                    .arg(PolishPatternError(rewriter->expression_.errorString()))
                    .toStdString();
        return nullptr;
    }
    rewriter->expression_.optimize();

    const int groups = rewriter->expression_.captureCount();
    const QStringList names = rewriter->expression_.namedCaptureGroups();
    const QString replacement = QString::fromStdString(options.RegexReplacement);
    QString literal;
    auto flush = [&] {
        if (!literal.isEmpty()) rewriter->replacement_.push_back({literal, -1});
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

void RegexRewriter::Rewrite(std::string_view text, std::string& out) const {
    if (!utf8::IsValid(text)) {
        out.append(text);
        return;
    }
    const QString subject = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    QString result;
    qsizetype copied = 0;
    auto replace = [&](const QRegularExpressionMatch& match) {
        result.append(QStringView(subject).mid(copied, match.capturedStart() - copied));
        for (const Piece& piece : replacement_) {
            if (piece.group < 0) {
                result.append(piece.literal);
            } else {
                result.append(match.capturedView(piece.group));
            }
        }
        copied = match.capturedEnd();
    };
    bool matched = false;
    if (all_) {
        QRegularExpressionMatchIterator matches = expression_.globalMatch(subject);
        while (matches.hasNext()) {
            replace(matches.next());
            matched = true;
        }
    } else {
        const QRegularExpressionMatch match = expression_.match(subject);
        if (match.hasMatch()) {
            replace(match);
            matched = true;
        }
    }
    if (!matched) {
        out.append(text);
        return;
    }
    result.append(QStringView(subject).mid(copied));
    out.append(result.toStdString());
}

}  // namespace kestrix::session
