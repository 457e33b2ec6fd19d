#include "name_transform.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "letter_case.h"
#include "utf8.h"

namespace kestrix {

namespace {

// The new name, built in a per-thread scratch buffer so that the rules move
// bytes around without allocating; the proposed path is then allocated once,
// at its final size. The rules work on the stretch [begin, end): in scope 1
// the extension with its dot follows it, in scope 2 the stem and the dot
// precede it, and the rules leave both alone.
class WorkText {
public:
    WorkText() : store_(Store()) {}

    std::string_view name() const { return {store_.data(), length_}; }
    std::string_view view() const { return {store_.data() + begin_, end_ - begin_}; }
    std::size_t size() const { return end_ - begin_; }
    char* data() { return store_.data() + begin_; }

    void Append(std::string_view text) {
        Reserve(length_ + text.size());
        text.copy(store_.data() + length_, text.size());
        length_ += text.size();
        end_ = length_;
    }
    // Narrows the rules to [begin, end) of the name built so far.
    void Restrict(std::size_t begin, std::size_t end) {
        begin_ = begin;
        end_ = end;
    }
    // Turns the work text's bytes [from, to) into `size` bytes whose content
    // the caller writes; returns where they start.
    char* Splice(std::size_t from, std::size_t to, std::size_t size) {
        const std::size_t removed = to - from;
        Reserve(length_ - removed + size);
        char* base = store_.data() + begin_;
        const std::size_t after = length_ - begin_ - to;
        if (after != 0 && size != removed) std::memmove(base + from + size, base + to, after);
        length_ = length_ - removed + size;
        end_ = end_ - removed + size;
        return base + from;
    }
    // Puts `text` in place of the work text's bytes [from, to).
    void Replace(std::size_t from, std::size_t to, std::string_view text) {
        text.copy(Splice(from, to, text.size()), text.size());
    }
    // Grows or shrinks the work text at its end.
    void Resize(std::size_t size) {
        if (size > this->size()) {
            Splice(this->size(), this->size(), size - this->size());
        } else {
            Splice(size, this->size(), 0);
        }
    }
    // Cuts the name at `length`; the work text ends there at the latest.
    void Truncate(std::size_t length) {
        length_ = length;
        begin_ = std::min(begin_, length);
        end_ = std::min(end_, length);
    }
    void Erase(std::size_t from, std::size_t to) { Replace(from, to, {}); }
    void Insert(std::size_t at, std::string_view text) { Replace(at, at, text); }

private:
    static std::string& Store() {
        thread_local std::string store(256, '\0');
        return store;
    }
    void Reserve(std::size_t needed) {
        if (needed > store_.size()) store_.resize(std::max(needed, store_.size() * 2));
    }

    std::string& store_;
    std::size_t length_ = 0;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
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
    thread_local std::vector<std::size_t> matches;
    matches.clear();
    for (std::size_t match = text.find(from); match != std::string_view::npos;) {
        if (boundary.empty() || (boundary[match] && boundary[match + from.size()])) {
            matches.push_back(match);
            match = text.find(from, match + from.size());
        } else {
            match = text.find(from, match + 1);
        }
    }
    if (matches.empty()) return;

    // Rebuilt in place in one pass: left to right when the text shrinks,
    // right to left when it grows, so no byte is overwritten before it is read.
    const std::size_t oldSize = text.size();
    const std::size_t newSize = oldSize - matches.size() * from.size() + matches.size() * to.size();
    if (newSize <= oldSize) {
        char* data = work.data();
        std::size_t read = matches.front();
        std::size_t write = read;
        for (const std::size_t match : matches) {
            std::memmove(data + write, data + read, match - read);
            write += match - read;
            to.copy(data + write, to.size());
            write += to.size();
            read = match + from.size();
        }
        std::memmove(data + write, data + read, oldSize - read);
        work.Resize(newSize);
    } else {
        work.Resize(newSize);
        char* data = work.data();
        std::size_t read = oldSize;
        std::size_t write = newSize;
        for (auto it = matches.rbegin(); it != matches.rend(); ++it) {
            const std::size_t after = *it + from.size();
            write -= read - after;
            std::memmove(data + write, data + after, read - after);
            write -= to.size();
            to.copy(data + write, to.size());
            read = *it;
        }
    }
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

void ChangeCase(WorkText& work, bool toLower) {
    const std::size_t kept = ChangeCaseInPlace(work.data(), work.size(), toLower);
    if (kept == work.size()) return;
    // A partner of another byte length: the rest is rebuilt beside the name.
    thread_local std::string rest;
    rest.clear();
    AppendChangedCase(work.view().substr(kept), toLower, rest);
    work.Replace(kept, work.size(), rest);
}

std::size_t DecimalDigits(std::uint64_t value) {
    std::size_t digits = 1;
    for (std::uint64_t power = 10; digits < 20 && value >= power; power *= 10) ++digits;
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
        for (std::size_t width = DecimalDigits(magnitude); width > text.size(); --width)
            buffer[length++] = '0';
    }
    text.copy(buffer + length, text.size());
    length += text.size();
    return {buffer, length};
}

}  // namespace

std::string_view Extension(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || name.find_first_not_of('.') > dot) return {};
    return name.substr(dot);
}

ListEntry TransformPath(std::string_view path, std::int64_t index, std::int64_t count,
                        const RenameRules& rules, ItemKind kind) {
    const std::string_view folder = FolderPart(path);
    return TransformPath(folder, path.substr(folder.size()), index, count, rules, kind);
}

ListEntry TransformPath(std::string_view folder, std::string_view name, std::int64_t index,
                        std::int64_t count, const RenameRules& rules, ItemKind kind) {
    ListEntry entry;
    entry.kind = kind;
    entry.current.reserve(folder.size() + name.size());
    entry.current.append(folder).append(name);
    entry.missing = ProposePath(entry.current, index, count, rules, kind, entry.proposed);
    return entry;
}

MissingFact ProposePath(std::string_view path, std::int64_t index, std::int64_t count,
                        const RenameRules& rules, ItemKind kind, std::string& proposed) {
    const RenameOptions& options = rules.options();
    const std::optional<std::int32_t> start = rules.start();
    const bool isFolder = kind == ItemKind::Folder;
    const std::string_view folder = FolderPart(path);
    const std::string_view name = path.substr(folder.size());

    // The rules for the extension alone have nothing of a folder to work on.
    if (isFolder && options.Scope == 2) {
        proposed.assign(path);
        return MissingFact::None;
    }

    WorkText work;
    // New extension: the stem is the name without its extension.
    if (options.ChangeExtension && !isFolder) {
        work.Append(name.substr(0, name.size() - Extension(name).size()));
        if (!options.NewExtension.empty()) {
            work.Append(".");
            work.Append(options.NewExtension);
        }
    } else {
        work.Append(name);
    }

    // Scope split: scope 1 works on the stem, 2 on the extension's text after
    // its dot, any other scope on the whole name. The dot between the two is
    // written only when text follows it, so a name without an extension never
    // comes out with a trailing dot. In scope 1 the extension stays as the
    // name had it; in scope 2 the dot is written now and taken back after the
    // rules if they leave no extension text, unless the name itself ended in
    // that lone dot: no rule that changes nothing renames an item.
    const bool extensionOnly = options.Scope == 2;
    bool loneDot = false;
    if ((options.Scope == 1 && !isFolder) || extensionOnly) {
        const std::size_t size = work.name().size();
        const std::size_t dot = size - Extension(work.name()).size();
        if (extensionOnly) {
            loneDot = dot + 1 == size;
            if (dot == size) work.Append(".");
            work.Restrict(dot + 1, work.name().size());
        } else {
            work.Restrict(0, dot);
        }
    }

    if (options.ReplaceEnabled && !options.ReplaceFrom.empty()) {
        ReplaceAll(work, options.ReplaceFrom, options.ReplaceTo);
    }
    if (options.DeleteEnabled) {
        Delete(work, options.DeleteMode, options.DeleteCount, options.DeletePosition);
    }
    if (options.InsertEnabled && !options.InsertText.empty()) {
        Place(work, options.InsertMode, options.InsertPosition, options.InsertText);
    }
    if (options.CaseEnabled) ChangeCase(work, options.CaseToLower);
    if (options.SpacesEnabled) {
        const char from = options.SpacesToUnderscores ? ' ' : '_';
        const char to = options.SpacesToUnderscores ? '_' : ' ';
        char* text = work.data();
        for (std::size_t i = 0, size = work.size(); i < size; ++i) text[i] = text[i] == from ? to : text[i];
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
    // The further rules work on what the rules above left; an item that lacks
    // a fact they need keeps its name.
    if (const ExtendedRules* extended = rules.extended(); extended && extended->active()) {
        thread_local std::string text;
        text.assign(work.view());
        const MissingFact missing = extended->Apply(path, index, text);
        if (missing != MissingFact::None) {
            proposed.assign(path);
            return missing;
        }
        work.Replace(0, work.size(), text);
    }
    // Rejoin: in scope 2 the dot goes when the rules left no extension text.
    if (extensionOnly && work.size() == 0 && !loneDot) work.Truncate(work.name().size() - 1);

    proposed.clear();
    proposed.reserve(folder.size() + work.name().size());
    proposed.append(folder).append(work.name());
    return MissingFact::None;
}

}  // namespace kestrix
