#include "name_template.h"

#include <charconv>

#include "utf8.h"

namespace kestrix {

namespace {

constexpr std::string_view DefaultDateFormat = "RRRR-MM-DD";

struct TextToken {
    std::string_view name;
    Fact fact;
};

// The tokens that stand for a text or a number the item has.
constexpr TextToken TextTokens[] = {
    {"folder", Fact::Folder}, {"aparat", Fact::Camera}, {"wykonawca", Fact::Artist}, {"tytuł", Fact::Title},
    {"album", Fact::Album},   {"utwór", Fact::Track},   {"rok", Fact::Year},
};

std::string Quoted(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 2);
    result.append("\"").append(text).append("\"");
    return result;
}

// The 1-based character number of byte `offset` of `text`.
std::int64_t CharNumber(std::string_view text, std::size_t offset) {
    return utf8::CharCount(text.substr(0, offset)) + 1;
}

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

void AppendPadded(std::string& out, std::int64_t value, int width) {
    char digits[24];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    std::string_view text(digits, static_cast<std::size_t>(end - digits));
    if (text.front() == '-') {
        out.push_back('-');
        text.remove_prefix(1);
    }
    for (int i = static_cast<int>(text.size()); i < width; ++i) out.push_back('0');
    out.append(text);
}

MissingFact MissingOf(Fact fact) {
    switch (fact) {
        case Fact::DateTaken:
            return MissingFact::DateTaken;
        case Fact::Modified:
            return MissingFact::Modified;
        case Fact::Folder:
            return MissingFact::Folder;
        case Fact::Camera:
            return MissingFact::Camera;
        case Fact::Artist:
            return MissingFact::Artist;
        case Fact::Title:
            return MissingFact::Title;
        case Fact::Album:
            return MissingFact::Album;
        case Fact::Track:
            return MissingFact::Track;
        case Fact::Year:
            return MissingFact::Year;
    }
    return MissingFact::None;
}

const std::optional<std::string>* TextFact(const ItemFacts& facts, Fact fact) {
    switch (fact) {
        case Fact::Folder:
            return &facts.folder;
        case Fact::Camera:
            return &facts.camera;
        case Fact::Artist:
            return &facts.artist;
        case Fact::Title:
            return &facts.title;
        case Fact::Album:
            return &facts.album;
        default:
            return nullptr;
    }
}

}  // namespace

std::string_view MissingFactReason(MissingFact missing) {
    switch (missing) {
        case MissingFact::None:
            return {};
        case MissingFact::DateTaken:
            return "brak daty wykonania zdjęcia";
        case MissingFact::Modified:
            return "brak daty modyfikacji";
        case MissingFact::Folder:
            return "brak nazwy folderu";
        case MissingFact::Camera:
            return "brak znacznika: aparat";
        case MissingFact::Artist:
            return "brak znacznika: wykonawca";
        case MissingFact::Title:
            return "brak znacznika: tytuł";
        case MissingFact::Album:
            return "brak znacznika: album";
        case MissingFact::Track:
            return "brak znacznika: utwór";
        case MissingFact::Year:
            return "brak znacznika: rok";
    }
    return {};
}

std::optional<NameTemplate> NameTemplate::Parse(std::string_view text, std::string& error) {
    NameTemplate parsed;
    std::string literal;
    auto flushLiteral = [&] {
        if (literal.empty()) return;
        parsed.pieces_.push_back(Piece{Kind::Literal, Fact::Folder, 0, std::move(literal), {}});
        literal.clear();
    };
    auto fail = [&](std::string reason) {
        error = std::move(reason);
        return std::nullopt;
    };

    for (std::size_t pos = 0; pos < text.size();) {
        const char c = text[pos];
        if (c == ']') {
            if (pos + 1 < text.size() && text[pos + 1] == ']') {
                literal.push_back(']');
                pos += 2;
                continue;
            }
            return fail("Pojedynczy nawias \"]\" (znak nr " + std::to_string(CharNumber(text, pos)) +
                        "); nawias w nazwie zapisz jako \"]]\"");
        }
        if (c != '[') {
            literal.push_back(c);
            ++pos;
            continue;
        }
        if (pos + 1 < text.size() && text[pos + 1] == '[') {
            literal.push_back('[');
            pos += 2;
            continue;
        }
        const std::size_t close = text.find_first_of("[]", pos + 1);
        if (close == std::string_view::npos || text[close] != ']') {
            return fail("Nawias \"[\" (znak nr " + std::to_string(CharNumber(text, pos)) +
                        ") nie jest zamknięty; nawias w nazwie zapisz jako \"[[\"");
        }
        const std::string_view token = text.substr(pos, close + 1 - pos);
        const std::string_view inside = token.substr(1, token.size() - 2);
        const std::size_t colon = inside.find(':');
        const std::string_view name = inside.substr(0, colon);
        const bool hasArgument = colon != std::string_view::npos;
        const std::string_view argument = hasArgument ? inside.substr(colon + 1) : std::string_view();
        pos = close + 1;

        Piece piece;
        if (name == "nazwa" && !hasArgument) {
            piece.kind = Kind::Name;
        } else if (name == "nr") {
            piece.kind = Kind::Number;
            if (hasArgument) {
                int width = 0;
                const auto [end, ec] =
                    std::from_chars(argument.data(), argument.data() + argument.size(), width);
                if (argument.empty() || ec != std::errc() || end != argument.data() + argument.size() ||
                    width < 1 || width > 9) {
                    return fail("Liczba cyfr w " + Quoted(token) + " musi być liczbą od 1 do 9");
                }
                piece.width = width;
            }
            parsed.usesNumber_ = true;
        } else if (name == "data" || name == "zmod") {
            piece.kind = Kind::Date;
            piece.fact = name == "data" ? Fact::DateTaken : Fact::Modified;
            const std::string_view format = hasArgument ? argument : DefaultDateFormat;
            if (format.empty()) return fail("Pusty format daty w " + Quoted(token));
            for (std::size_t at = 0; at < format.size();) {
                const std::string_view rest = format.substr(at);
                static constexpr std::pair<std::string_view, DatePart> Codes[] = {
                    {"RRRR", DatePart::Year4}, {"RR", DatePart::Year2}, {"MM", DatePart::Month},
                    {"DD", DatePart::Day},     {"GG", DatePart::Hour},  {"mm", DatePart::Minute},
                    {"ss", DatePart::Second},
                };
                bool matched = false;
                for (const auto& [code, part] : Codes) {
                    if (rest.starts_with(code)) {
                        piece.format.push_back({part, {}});
                        at += code.size();
                        matched = true;
                        break;
                    }
                }
                if (matched) continue;
                const std::size_t length = utf8::CharLength(format, at);
                if (IsAsciiLetter(format[at]) || length > 1) {
                    return fail("Nieznany format daty w " + Quoted(token) +
                                ": dozwolone są RRRR RR MM DD GG mm ss oraz znaki, które nie są literami");
                }
                if (!piece.format.empty() && piece.format.back().part == DatePart::Literal) {
                    piece.format.back().literal.push_back(format[at]);
                } else {
                    piece.format.push_back({DatePart::Literal, std::string(1, format[at])});
                }
                ++at;
            }
        } else {
            bool known = false;
            for (const TextToken& candidate : TextTokens) {
                if (name == candidate.name && !hasArgument) {
                    piece.kind = Kind::Text;
                    piece.fact = candidate.fact;
                    known = true;
                }
            }
            if (!known) {
                return fail("Nieznany znacznik " + Quoted(token) + " (znak nr " +
                            std::to_string(CharNumber(text, pos - token.size())) + ")");
            }
        }
        if (piece.kind == Kind::Date || piece.kind == Kind::Text) parsed.needs_ |= Bit(piece.fact);
        flushLiteral();
        parsed.pieces_.push_back(std::move(piece));
    }
    flushLiteral();
    return parsed;
}

MissingFact NameTemplate::Expand(std::string_view name, std::int64_t number, const ItemFacts& facts,
                                 std::string& out) const {
    for (const Piece& piece : pieces_) {
        switch (piece.kind) {
            case Kind::Literal:
                out.append(piece.literal);
                break;
            case Kind::Name:
                out.append(name);
                break;
            case Kind::Number:
                AppendPadded(out, number, piece.width);
                break;
            case Kind::Date: {
                const std::optional<DateTime>& date =
                    piece.fact == Fact::DateTaken ? facts.dateTaken : facts.modified;
                if (!date) return MissingOf(piece.fact);
                for (const FormatPiece& part : piece.format) {
                    switch (part.part) {
                        case DatePart::Literal:
                            out.append(part.literal);
                            break;
                        case DatePart::Year4:
                            AppendPadded(out, date->year, 4);
                            break;
                        case DatePart::Year2:
                            AppendPadded(out, ((date->year % 100) + 100) % 100, 2);
                            break;
                        case DatePart::Month:
                            AppendPadded(out, date->month, 2);
                            break;
                        case DatePart::Day:
                            AppendPadded(out, date->day, 2);
                            break;
                        case DatePart::Hour:
                            AppendPadded(out, date->hour, 2);
                            break;
                        case DatePart::Minute:
                            AppendPadded(out, date->minute, 2);
                            break;
                        case DatePart::Second:
                            AppendPadded(out, date->second, 2);
                            break;
                    }
                }
                break;
            }
            case Kind::Text:
                if (const std::optional<std::string>* text = TextFact(facts, piece.fact)) {
                    if (!*text || (*text)->empty()) return MissingOf(piece.fact);
                    out.append(**text);
                } else {
                    const std::optional<std::uint32_t>& value =
                        piece.fact == Fact::Track ? facts.track : facts.year;
                    if (!value) return MissingOf(piece.fact);
                    AppendPadded(out, *value, 0);
                }
                break;
        }
    }
    return MissingFact::None;
}

}  // namespace kestrix
