#include "name_transform.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>
#include <vector>

#include "start_value.h"
#include "utf8.h"

namespace kestrix {

namespace {

// The stretch of the proposed path that the rules work on, built in place:
// [begin, out.size() - tail). In scope 1 the tail is the extension with its
// dot, which the rules leave alone; in the other scopes nothing follows.
class WorkText {
public:
    WorkText(std::string& out, std::size_t begin, std::size_t tail) : out_(out), begin_(begin), tail_(tail) {}

    std::string_view view() const { return {out_.data() + begin_, out_.size() - tail_ - begin_}; }
    std::size_t size() const { return out_.size() - tail_ - begin_; }
    char* data() { return out_.data() + begin_; }

    void Erase(std::size_t from, std::size_t to) { out_.erase(begin_ + from, to - from); }
    void Insert(std::size_t at, std::string_view text) { out_.insert(begin_ + at, text); }
    void Assign(std::string_view text) { out_.replace(begin_, size(), text); }

private:
    std::string& out_;
    std::size_t begin_;
    std::size_t tail_;
};

// Every occurrence of `from` replaced by `to`, left to right, without overlap;
// the inserted text is never searched again. A search text that is itself
// well-formed UTF-8 can only match whole characters; any other search text is
// accepted only where it starts and ends on character boundaries, so that a
// stray byte never cuts a letter in half.
void ReplaceAll(WorkText& work, std::string_view from, std::string_view to) {
    const std::string_view text = work.view();
    std::vector<char> boundary;
    if (!utf8::IsValid(from)) {
        boundary.assign(text.size() + 1, 0);
        for (std::size_t pos = 0; pos < text.size(); pos += utf8::CharLength(text, pos)) boundary[pos] = 1;
        boundary[text.size()] = 1;
    }
    const auto find = [&](std::size_t pos) {
        std::size_t match = text.find(from, pos);
        if (!boundary.empty()) {
            while (match != std::string_view::npos && !(boundary[match] && boundary[match + from.size()])) {
                match = text.find(from, match + 1);
            }
        }
        return match;
    };

    std::size_t match = find(0);
    if (match == std::string_view::npos) return;

    thread_local std::string result;
    result.clear();
    std::size_t pos = 0;
    do {
        result.append(text.substr(pos, match - pos)).append(to);
        pos = match + from.size();
        match = find(pos);
    } while (match != std::string_view::npos);
    result.append(text.substr(pos));
    work.Assign(result);
}

void Delete(WorkText& work, DeleteMode mode, std::int64_t count, std::int64_t position) {
    if (count <= 0) return;
    const std::string_view text = work.view();
    switch (mode) {
        case DeleteMode::FromStart:
            work.Erase(0, utf8::Advance(text, 0, count));
            break;
        case DeleteMode::FromEnd: {
            // More characters asked for than there are: nothing is deleted.
            const std::int64_t length = utf8::CharCount(text);
            if (count <= length) work.Erase(utf8::Advance(text, 0, length - count), text.size());
            break;
        }
        case DeleteMode::FromPosition: {
            if (position < 0) return;
            const std::size_t from = utf8::Advance(text, 0, position);
            if (from < text.size()) work.Erase(from, utf8::Advance(text, from, count));
            break;
        }
    }
}

// Puts `text` at the start, at the end, or after the first `position`
// characters (at the end when there are fewer; at the start for a position
// below 1).
void Place(WorkText& work, PlaceMode mode, std::int64_t position, std::string_view text) {
    switch (mode) {
        case PlaceMode::AtStart:
            work.Insert(0, text);
            break;
        case PlaceMode::AtEnd:
            work.Insert(work.size(), text);
            break;
        case PlaceMode::AfterPosition:
            work.Insert(utf8::Advance(work.view(), 0, position), text);
            break;
    }
}

std::size_t DecimalDigits(std::uint64_t value) {
    std::size_t digits = 1;
    while (value >= 10) {
        value /= 10;
        ++digits;
    }
    return digits;
}

// The running number as text. With leading zeros the DIGITS are filled to the
// number of digits of the entry count, and a minus sign stays in front of
// them: with 12 entries, 3 gives "03" and -3 gives "-03"; a number that
// already has that many digits is left as it is.
std::string_view NumberText(std::int64_t number, std::int64_t count, bool zeros, char (&buffer)[48]) {
    char digits[24];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, number);
    std::string_view text(digits, static_cast<std::size_t>(end - digits));
    std::size_t length = 0;
    if (text.front() == '-') {
        buffer[length++] = '-';
        text.remove_prefix(1);
    }
    if (zeros) {
        const std::uint64_t magnitude =
            count < 0 ? 0 - static_cast<std::uint64_t>(count) : static_cast<std::uint64_t>(count);
        for (std::size_t width = DecimalDigits(magnitude); width > text.size(); --width) buffer[length++] = '0';
    }
    text.copy(buffer + length, text.size());
    length += text.size();
    return {buffer, length};
}

}  // namespace

std::string_view FolderPart(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

std::string_view NamePart(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

ListEntry TransformPath(std::string_view path, std::int64_t index, std::int64_t count,
                        const RenameOptions& options) {
    std::optional<std::int32_t> start;
    if (options.numberingInForce()) {
        start = ParseStartValue(options.NumberStart);
        if (!start) throw ConversionError(options.NumberStart);
    }

    const std::string_view folder = FolderPart(path);
    const std::string_view name = path.substr(folder.size());

    ListEntry entry;
    entry.current.assign(path);
    std::string& out = entry.proposed;
    out.reserve(path.size() + 2 + (options.ChangeExtension ? options.NewExtension.size() : 0) +
                (options.InsertEnabled ? options.InsertText.size() : 0) + (start ? 24 : 0));
    out.append(folder);
    const std::size_t nameBegin = out.size();

    // New extension: the stem keeps everything before the last dot.
    if (options.ChangeExtension) {
        out.append(name.substr(0, std::min(name.rfind('.'), name.size())));
        if (!options.NewExtension.empty()) out.append(".").append(options.NewExtension);
    } else {
        out.append(name);
    }

    // Scope split. The dot between stem and extension is written even when the
    // name had none, so a name without a dot gets one in scopes 1 and 2. Any
    // scope other than 1 or 2 works on the whole name.
    std::size_t workBegin = nameBegin;
    std::size_t tail = 0;
    if (options.Scope == 1 || options.Scope == 2) {
        std::size_t dot = out.rfind('.');
        if (dot == std::string::npos || dot < nameBegin) {
            dot = out.size();
            out.push_back('.');
        }
        if (options.Scope == 1) {
            tail = out.size() - dot;
        } else {
            workBegin = dot + 1;
        }
    }
    WorkText work(out, workBegin, tail);

    if (options.ReplaceEnabled && !options.ReplaceFrom.empty()) {
        ReplaceAll(work, options.ReplaceFrom, options.ReplaceTo);
    }
    if (options.DeleteEnabled) {
        Delete(work, options.DeleteMode, options.DeleteCount, options.DeletePosition);
    }
    if (options.InsertEnabled && !options.InsertText.empty()) {
        Place(work, options.InsertMode, options.InsertPosition, options.InsertText);
    }
    if (options.CaseEnabled) {
        char* text = work.data();
        const std::size_t size = work.size();
        if (options.CaseToLower) {
            for (std::size_t i = 0; i < size; ++i) {
                if (text[i] >= 'A' && text[i] <= 'Z') text[i] = static_cast<char>(text[i] + ('a' - 'A'));
            }
        } else {
            for (std::size_t i = 0; i < size; ++i) {
                if (text[i] >= 'a' && text[i] <= 'z') text[i] = static_cast<char>(text[i] - ('a' - 'A'));
            }
        }
    }
    if (options.SpacesEnabled) {
        const char from = options.SpacesToUnderscores ? ' ' : '_';
        const char to = options.SpacesToUnderscores ? '_' : ' ';
        std::replace(work.data(), work.data() + work.size(), from, to);
    }
    if (start) {
        // 64-bit arithmetic: counting past the 32-bit limits gives the true
        // number. The unsigned detour only matters for absurd indices.
        const auto base = static_cast<std::uint64_t>(static_cast<std::int64_t>(*start));
        const auto offset = static_cast<std::uint64_t>(index);
        const auto number =
            static_cast<std::int64_t>(options.NumberAscending ? base + offset : base - offset);
        char buffer[48];
        Place(work, options.NumberMode, options.NumberPosition,
              NumberText(number, count, options.NumberLeadingZeros, buffer));
    }
    return entry;
}

}  // namespace kestrix
