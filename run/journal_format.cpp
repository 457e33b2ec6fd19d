#include "run/journal_format.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <zlib.h>

#include "platform/state_files.h"

namespace kestrix::run {

namespace {

constexpr std::string_view kMagic = "KESTRIX-RUN-JOURNAL";
constexpr size_t kFrameSize = 9;  // length, checksum, type
// Entries per plan record, so that no record grows without bound.
constexpr size_t kPlanChunk = 2048;

enum RecordType : std::uint8_t {
    kHeader = 1,
    kPlan = 2,
    kPlanComplete = 3,
    kAmendments = 4,
    kOutcomes = 5,
    kStepBegin = 6,
    kStepEnd = 7,
    kFinished = 8,
    kIdentities = 9,
    kSummary = 10,
    kChoice = 11,
};

using Identity = platform::ItemIdentity;

std::uint32_t GetU32(const char* bytes) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= std::uint32_t(static_cast<unsigned char>(bytes[i])) << (8 * i);
    return value;
}

void PutVarint(std::string& out, std::uint64_t value) {
    while (value >= 0x80) {
        out.push_back(static_cast<char>((value & 0x7F) | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<char>(value));
}

void PutSigned(std::string& out, std::int64_t value) {
    PutVarint(out, (static_cast<std::uint64_t>(value) << 1) ^ static_cast<std::uint64_t>(value >> 63));
}

void PutBytes(std::string& out, std::string_view bytes) {
    PutVarint(out, bytes.size());
    out.append(bytes);
}

size_t SharedPrefix(std::string_view a, std::string_view b) {
    const size_t limit = std::min(a.size(), b.size());
    return static_cast<size_t>(std::mismatch(a.begin(), a.begin() + limit, b.begin()).first - a.begin());
}

// A path as the length it shares with `previous` and the rest.
void PutPathAfter(std::string& out, std::string_view previous, std::string_view path) {
    const size_t shared = SharedPrefix(previous, path);
    PutVarint(out, shared);
    PutBytes(out, path.substr(shared));
}

// A path after whichever of two earlier paths it shares more with (the
// choice in the lowest bit of the shared length).
void PutPathAfterEither(std::string& out, std::string_view first, std::string_view second,
                        std::string_view path) {
    const size_t withFirst = SharedPrefix(first, path);
    const size_t withSecond = SharedPrefix(second, path);
    const size_t shared = std::max(withFirst, withSecond);
    PutVarint(out, (shared << 1) | (withSecond > withFirst ? 1 : 0));
    PutBytes(out, path.substr(shared));
}

// What tells a new item from an old one under a reused inode number, after
// the size and time: a byte of flags, then each part it names.
enum IdentityExtra : std::uint8_t { kBirth = 1, kGeneration = 2, kMount = 4, kPrint = 8 };

void PutIdentity(std::string& out, const Identity& identity) {
    const std::uint8_t extra = (identity.hasBirth ? kBirth : 0) | (identity.hasGeneration ? kGeneration : 0) |
                               (identity.mount != 0 ? kMount : 0) | (identity.hasPrint ? kPrint : 0);
    out.push_back(static_cast<char>(static_cast<std::uint8_t>(identity.type) |
                                    (identity.inodeLasts ? 0x10 : 0) | (identity.hasTimes ? 0x20 : 0) |
                                    (extra != 0 ? 0x40 : 0)));
    PutVarint(out, identity.inode);
    if (identity.hasTimes) {
        PutVarint(out, identity.size);
        PutSigned(out, identity.modifiedNs);
    }
    if (extra == 0) return;
    out.push_back(static_cast<char>(extra));
    if (identity.hasBirth) PutSigned(out, identity.bornNs);
    if (identity.hasGeneration) PutVarint(out, identity.generation);
    if (identity.mount != 0) PutVarint(out, identity.mount);
    if (identity.hasPrint) PutVarint(out, identity.print);
}

std::uint32_t Checksum(const char* data, size_t size) {
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(size)));
}

// Frames the payload that was appended to `out` after `start` (where room for
// the frame was left).
void CloseRecord(std::string& out, size_t start, RecordType type) {
    const std::uint32_t length = static_cast<std::uint32_t>(out.size() - start - kFrameSize);
    char* frame = out.data() + start;
    for (int i = 0; i < 4; ++i) frame[i] = static_cast<char>((length >> (8 * i)) & 0xFF);
    frame[8] = static_cast<char>(type);
    std::uint32_t crc = Checksum(frame, 4);
    crc = static_cast<std::uint32_t>(
        crc32(crc, reinterpret_cast<const Bytef*>(frame + 8), static_cast<uInt>(1 + length)));
    for (int i = 0; i < 4; ++i) frame[4 + i] = static_cast<char>((crc >> (8 * i)) & 0xFF);
}

size_t OpenRecord(std::string& out) {
    const size_t start = out.size();
    out.append(kFrameSize, '\0');
    return start;
}

class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    bool varint(std::uint64_t& value) {
        value = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (at_ >= bytes_.size()) return false;
            const auto byte = static_cast<unsigned char>(bytes_[at_++]);
            value |= std::uint64_t(byte & 0x7F) << shift;
            if (!(byte & 0x80)) return true;
        }
        return false;
    }
    bool number(std::int64_t& value) {
        std::uint64_t raw = 0;
        if (!varint(raw)) return false;
        value = static_cast<std::int64_t>(raw);
        return value >= 0;
    }
    bool signedNumber(std::int64_t& value) {
        std::uint64_t raw = 0;
        if (!varint(raw)) return false;
        value = static_cast<std::int64_t>(raw >> 1) ^ -static_cast<std::int64_t>(raw & 1);
        return true;
    }
    bool byte(std::uint8_t& value) {
        if (at_ >= bytes_.size()) return false;
        value = static_cast<std::uint8_t>(bytes_[at_++]);
        return true;
    }
    bool bytes(std::string& value) {
        std::uint64_t size = 0;
        if (!varint(size) || size > bytes_.size() - at_) return false;
        value.assign(bytes_.substr(at_, size));
        at_ += size;
        return true;
    }
    bool pathAfter(std::string_view previous, std::string& path) {
        std::uint64_t shared = 0;
        std::string rest;
        if (!varint(shared) || shared > previous.size() || !bytes(rest)) return false;
        path.assign(previous.substr(0, shared));
        path += rest;
        return true;
    }
    bool pathAfterEither(std::string_view first, std::string_view second, std::string& path) {
        std::uint64_t coded = 0;
        std::string rest;
        if (!varint(coded)) return false;
        const std::string_view base = (coded & 1) ? second : first;
        const std::uint64_t shared = coded >> 1;
        if (shared > base.size() || !bytes(rest)) return false;
        path.assign(base.substr(0, shared));
        path += rest;
        return true;
    }
    bool identity(Identity& identity) {
        std::uint8_t flags = 0;
        if (!byte(flags) || (flags & 0x0F) > static_cast<std::uint8_t>(Identity::Type::Other)) return false;
        identity.type = static_cast<Identity::Type>(flags & 0x0F);
        identity.inodeLasts = flags & 0x10;
        identity.hasTimes = flags & 0x20;
        if ((flags & 0x80) || !varint(identity.inode)) return false;
        if (identity.hasTimes && !(varint(identity.size) && signedNumber(identity.modifiedNs))) return false;
        if (!(flags & 0x40)) return true;
        std::uint8_t extra = 0;
        if (!byte(extra) || extra == 0 || (extra & ~(kBirth | kGeneration | kMount | kPrint))) return false;
        identity.hasBirth = extra & kBirth;
        identity.hasGeneration = extra & kGeneration;
        std::uint64_t generation = 0;
        if (identity.hasBirth && !signedNumber(identity.bornNs)) return false;
        if (identity.hasGeneration && (!varint(generation) || generation > 0xFFFFFFFFu)) return false;
        identity.generation = static_cast<std::uint32_t>(generation);
        if ((extra & kMount) && (!varint(identity.mount) || identity.mount == 0)) return false;
        identity.hasPrint = extra & kPrint;
        return !identity.hasPrint || varint(identity.print);
    }
    bool done() const { return at_ == bytes_.size(); }

private:
    std::string_view bytes_;
    size_t at_ = 0;
};

bool ParseSummary(std::string_view payload, RunSummary& summary) {
    Reader in(payload);
    std::int64_t items = 0;
    std::uint8_t flags = 0;
    if (!in.number(items) || !in.bytes(summary.firstFolder) || !in.byte(flags) || !in.bytes(summary.process))
        return false;
    summary.items = items;
    summary.recovered = flags & 0x01;
    summary.takenBack = flags & 0x02;
    return in.done();
}

bool ValidKind(std::uint8_t kind) {
    return kind == static_cast<std::uint8_t>(platform::Intermediate::Temporary) ||
           kind == static_cast<std::uint8_t>(platform::Intermediate::SecondLink) ||
           kind == static_cast<std::uint8_t>(platform::Intermediate::Placeholder) ||
           kind == static_cast<std::uint8_t>(platform::Intermediate::Probe);
}

// Reads one record's payload into `contents`; false when it does not make sense.
bool ApplyRecord(std::uint8_t type, std::string_view payload, JournalContents& contents) {
    Reader in(payload);
    switch (type) {
        case kPlan: {
            std::int64_t first = 0, count = 0;
            if (contents.planComplete || !in.number(first) || !in.number(count)) return false;
            if (first != static_cast<std::int64_t>(contents.plan.size())) return false;
            std::string previous, previousProposed;
            for (std::int64_t i = 0; i < count; ++i) {
                PlanEntry entry;
                if (!in.pathAfter(previous, entry.current) ||
                    !in.pathAfterEither(entry.current, previousProposed, entry.proposed)) {
                    return false;
                }
                previous = entry.current;
                previousProposed = entry.proposed;
                contents.plan.push_back(std::move(entry));
            }
            return in.done();
        }
        case kIdentities: {
            std::int64_t first = 0, count = 0;
            const auto size = static_cast<std::int64_t>(contents.plan.size());
            if (!contents.planComplete || !in.number(first) || !in.number(count) || first > size ||
                count > size - first) {
                return false;
            }
            for (std::int64_t i = first; i < first + count; ++i) {
                if (!in.identity(contents.plan[static_cast<size_t>(i)].identity)) return false;
            }
            return in.done();
        }
        case kPlanComplete: {
            std::int64_t count = 0;
            if (!in.number(count) || count != static_cast<std::int64_t>(contents.plan.size())) return false;
            contents.planComplete = true;
            contents.outcomes.assign(contents.plan.size(), std::nullopt);
            return in.done();
        }
        case kAmendments: {
            std::int64_t count = 0;
            if (!contents.planComplete || !in.number(count)) return false;
            for (std::int64_t i = 0; i < count; ++i) {
                std::int64_t index = 0;
                PlanEntry entry;
                if (!in.number(index) || index >= static_cast<std::int64_t>(contents.plan.size()) ||
                    !in.bytes(entry.current) || !in.bytes(entry.proposed) || !in.identity(entry.identity)) {
                    return false;
                }
                contents.plan[static_cast<size_t>(index)] = std::move(entry);
            }
            return in.done();
        }
        case kOutcomes: {
            std::int64_t count = 0;
            if (!contents.planComplete || !in.number(count)) return false;
            for (std::int64_t i = 0; i < count; ++i) {
                std::int64_t index = 0;
                std::uint8_t flags = 0;
                OutcomeRecord record;
                if (!in.number(index) || index >= static_cast<std::int64_t>(contents.plan.size()) ||
                    !in.byte(flags) || (flags & 0x0F) > static_cast<std::uint8_t>(Outcome::Failed)) {
                    return false;
                }
                record.outcome = static_cast<Outcome>(flags & 0x0F);
                if ((flags & 0x10) && (!in.bytes(record.from) || !in.bytes(record.to))) return false;
                std::int64_t error = 0;
                if ((flags & 0x20) && !in.signedNumber(error)) return false;
                record.error = static_cast<std::int32_t>(error);
                contents.outcomes[static_cast<size_t>(index)] = std::move(record);
            }
            return in.done();
        }
        case kStepBegin:
        case kStepEnd: {
            StepRecord step;
            std::uint8_t kind = 0;
            if (!contents.planComplete || !in.number(step.index) || !in.byte(kind) || !ValidKind(kind) ||
                !in.bytes(step.path) || !in.done()) {
                return false;
            }
            step.kind = static_cast<platform::Intermediate>(kind);
            auto& open = contents.openSteps;
            if (type == kStepBegin) {
                open.push_back(std::move(step));
            } else {
                const auto begun = std::find(open.rbegin(), open.rend(), step);
                if (begun != open.rend()) open.erase(std::next(begun).base());
            }
            return true;
        }
        case kFinished:
            contents.finished = true;
            return in.done();
        case kSummary: {
            RunSummary summary;
            if (!contents.finished || !ParseSummary(payload, summary)) return false;
            contents.summary = std::move(summary);
            return true;
        }
        case kChoice: {
            std::uint8_t choice = 0;
            if (!contents.planComplete || !in.byte(choice) ||
                (choice != static_cast<std::uint8_t>(Settling::TakeBack) &&
                 choice != static_cast<std::uint8_t>(Settling::Keep))) {
                return false;
            }
            contents.settling = static_cast<Settling>(choice);
            return in.done();
        }
        default:
            return false;
    }
}

bool ParseHeader(std::string_view payload, JournalHeader& header) {
    Reader in(payload);
    std::string magic;
    std::uint64_t version = 0;
    std::uint8_t kind = 0;
    // Version 1 journals (without the later parts of identities, settling
    // runs and choices) are still read: a finished one is what undo takes back.
    if (!in.bytes(magic) || magic != kMagic || !in.varint(version) || version < 1 ||
        version > kJournalVersion)
        return false;
    if (!in.byte(kind) || kind < static_cast<std::uint8_t>(RunKind::Rename) ||
        kind > static_cast<std::uint8_t>(RunKind::Settle)) {
        return false;
    }
    header.kind = static_cast<RunKind>(kind);
    return in.bytes(header.runId) && in.bytes(header.undoes) && in.done();
}

}  // namespace

namespace {

// No record the program writes comes near this (a plan record holds at most
// kPlanChunk entries of two paths); a length beyond it is damage, and no
// reader ever holds more than this of a journal at once.
constexpr std::uint32_t kLongestRecord = 64u << 20;
constexpr std::uint32_t kLongestHeader = 4096;
// Zeros where the last records should be (a power loss after the file grew
// and before its data reached the disk) are a torn end, up to this much.
constexpr std::uint64_t kLongestZeroTail = 1u << 20;

// The bytes of a journal, in memory or read piece by piece from its file.
class MemorySource {
public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    std::uint64_t size() const { return bytes_.size(); }
    bool read(std::uint64_t at, std::size_t size, std::string& out) {
        if (at > bytes_.size() || size > bytes_.size() - at) return false;
        out.assign(bytes_.substr(at, size));
        return true;
    }

private:
    std::string_view bytes_;
};

class FileSource {
public:
    explicit FileSource(platform::OwnFileReader& file) : file_(file) {}
    std::uint64_t size() const { return file_.size(); }
    bool read(std::uint64_t at, std::size_t size, std::string& out) {
        out.resize(size);
        const long long got = file_.readAt(at, out.data(), size);
        if (got < 0) failed_ = true;
        return got == static_cast<long long>(size);
    }
    bool failed() const { return failed_; }

private:
    platform::OwnFileReader& file_;
    bool failed_ = false;
};

// The CRC of a whole record, read in pieces, so that a record whose checksum
// does not hold is never held in memory whole.
template <class Source>
bool ChecksumHolds(Source& source, std::uint64_t at, std::uint32_t length, std::string& piece) {
    constexpr std::size_t kPiece = 1 << 16;
    if (!source.read(at, kFrameSize, piece)) return false;
    const std::uint32_t expected = GetU32(piece.data() + 4);
    std::uint32_t crc = Checksum(piece.data(), 4);
    crc = static_cast<std::uint32_t>(crc32(crc, reinterpret_cast<const Bytef*>(piece.data() + 8), 1));
    for (std::uint64_t done = 0; done < length;) {
        const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, length - done));
        if (!source.read(at + kFrameSize + done, size, piece)) return false;
        crc = static_cast<std::uint32_t>(
            crc32(crc, reinterpret_cast<const Bytef*>(piece.data()), static_cast<uInt>(size)));
        done += size;
    }
    return crc == expected;
}

// Whether the bytes from `at` on are the start of the header the program
// writes, cut short: the file ends before the header record does.
template <class Source>
bool TornHeader(Source& source, std::string& piece) {
    const std::uint64_t size = source.size();
    if (size == 0 || size > kFrameSize + kLongestHeader || !source.read(0, size, piece)) return false;
    if (size >= 4) {
        const std::uint32_t length = GetU32(piece.data());
        if (length > kLongestHeader || kFrameSize + length <= size) return false;
    }
    if (size > 8 && static_cast<std::uint8_t>(piece[8]) != kHeader) return false;
    std::string start(1, static_cast<char>(kMagic.size()));
    start += kMagic;
    const std::string_view payload =
        std::string_view(piece).substr(std::min<std::uint64_t>(size, kFrameSize));
    return start.compare(0, std::min(start.size(), payload.size()), payload.substr(0, start.size())) == 0;
}

// The header's magic holds and its version is a later one.
bool LaterVersion(std::string_view payload) {
    Reader in(payload);
    std::string magic;
    std::uint64_t version = 0;
    return in.bytes(magic) && magic == kMagic && in.varint(version) && version > kJournalVersion;
}

template <class Source>
bool ZerosUpTo(Source& source, std::uint64_t at, std::string& piece) {
    const std::uint64_t rest = source.size() - at;
    if (rest > kLongestZeroTail || !source.read(at, static_cast<std::size_t>(rest), piece)) return false;
    return std::all_of(piece.begin(), piece.end(), [](char c) { return c == '\0'; });
}

template <class Source>
JournalContents Parse(Source& source) {
    JournalContents contents;
    std::string piece;
    std::string payload;
    const std::uint64_t size = source.size();
    std::uint64_t at = 0;
    // Records are read one at a time: length and type first, the checksum
    // over the record in pieces, and only then the payload whole. `whole`:
    // the record's length fits in the file.
    std::uint8_t type = 0;
    std::uint32_t length = 0;
    bool whole = false;
    auto next = [&]() {
        whole = false;
        if (size - at < kFrameSize || !source.read(at, kFrameSize, piece)) return false;
        length = GetU32(piece.data());
        type = static_cast<std::uint8_t>(piece[8]);
        if (length > kLongestRecord || length > size - at - kFrameSize) return false;
        whole = true;
        return ChecksumHolds(source, at, length, piece) && source.read(at + kFrameSize, length, payload);
    };
    if (next() && type == kHeader && ParseHeader(payload, contents.header)) {
        contents.readable = true;
    } else {
        if (whole && type == kHeader && length <= kLongestHeader) {
            contents.laterVersion = ChecksumHolds(source, 0, length, piece) &&
                                    source.read(kFrameSize, length, payload) && LaterVersion(payload);
        }
        contents.headerTorn = !contents.laterVersion && !whole && TornHeader(source, piece);
        contents.damaged = !contents.laterVersion && !contents.headerTorn;
        // After a damaged header, what follows may still tell where the run's items are.
        if (!contents.damaged || !whole) return contents;
    }
    at = kFrameSize + length;
    while (at < size) {
        if (!next()) {
            // A record cut short by the end of the file is a torn last write,
            // and so are zeros where the last writes should be; anything else
            // is damage.
            const bool torn = !whole && (size - at < kFrameSize || length <= kLongestRecord);
            if (!torn && !ZerosUpTo(source, at, piece)) contents.damaged = true;
            break;
        }
        if (type == kHeader || !ApplyRecord(type, payload, contents)) {
            contents.damaged = true;
            break;
        }
        at += kFrameSize + length;
    }
    return contents;
}

}  // namespace

JournalContents ParseJournal(std::string_view bytes) {
    MemorySource source(bytes);
    return Parse(source);
}

JournalContents ReadJournalFile(const std::string& path) {
    platform::OwnFileReader file;
    if (!file.open(path)) {
        JournalContents contents;
        contents.error = file.error() ? file.error() : EIO;
        return contents;
    }
    FileSource source(file);
    JournalContents contents = Parse(source);
    if (source.failed()) contents.error = file.error() ? file.error() : EIO;
    return contents;
}

void AppendHeader(const JournalHeader& header, std::string& out) {
    const size_t start = OpenRecord(out);
    PutBytes(out, kMagic);
    PutVarint(out, kJournalVersion);
    out.push_back(static_cast<char>(header.kind));
    PutBytes(out, header.runId);
    PutBytes(out, header.undoes);
    CloseRecord(out, start, kHeader);
}

size_t AppendPlanPart(const std::vector<PlanEntry>& plan, size_t first, std::string& out) {
    const size_t count = std::min(kPlanChunk, plan.size() - first);
    const size_t start = OpenRecord(out);
    PutVarint(out, first);
    PutVarint(out, count);
    std::string_view previous, previousProposed;
    for (size_t i = first; i < first + count; ++i) {
        PutPathAfter(out, previous, plan[i].current);
        PutPathAfterEither(out, plan[i].current, previousProposed, plan[i].proposed);
        previous = plan[i].current;
        previousProposed = plan[i].proposed;
    }
    CloseRecord(out, start, kPlan);
    return first + count;
}

void AppendPlanComplete(size_t count, std::string& out) {
    const size_t start = OpenRecord(out);
    PutVarint(out, count);
    CloseRecord(out, start, kPlanComplete);
}

void AppendPlan(const std::vector<PlanEntry>& plan, std::string& out) {
    for (size_t first = 0; first < plan.size();) first = AppendPlanPart(plan, first, out);
    AppendPlanComplete(plan.size(), out);
}

size_t AppendIdentitiesPart(const std::vector<PlanEntry>& plan, size_t first, std::string& out) {
    const size_t count = std::min(kPlanChunk, plan.size() - first);
    const size_t start = OpenRecord(out);
    PutVarint(out, first);
    PutVarint(out, count);
    for (size_t i = first; i < first + count; ++i) PutIdentity(out, plan[i].identity);
    CloseRecord(out, start, kIdentities);
    return first + count;
}

void AppendIdentities(const std::vector<PlanEntry>& plan, std::string& out) {
    for (size_t first = 0; first < plan.size();) first = AppendIdentitiesPart(plan, first, out);
}

size_t AppendAmendmentsPart(const std::vector<std::pair<std::int64_t, PlanEntry>>& changed, size_t first,
                            std::string& out) {
    const size_t count = std::min(kPlanChunk, changed.size() - first);
    const size_t start = OpenRecord(out);
    PutVarint(out, count);
    for (size_t i = first; i < first + count; ++i) {
        const auto& [index, entry] = changed[i];
        PutVarint(out, static_cast<std::uint64_t>(index));
        PutBytes(out, entry.current);
        PutBytes(out, entry.proposed);
        PutIdentity(out, entry.identity);
    }
    CloseRecord(out, start, kAmendments);
    return first + count;
}

void AppendAmendments(const std::vector<std::pair<std::int64_t, PlanEntry>>& changed, std::string& out) {
    for (size_t first = 0; first < changed.size();) first = AppendAmendmentsPart(changed, first, out);
}

void AppendOutcomeItem(std::int64_t index, Outcome outcome, std::int32_t error, std::string_view from,
                       std::string_view to, std::string& items) {
    PutVarint(items, static_cast<std::uint64_t>(index));
    const bool repointed = !from.empty() || !to.empty();
    items.push_back(static_cast<char>(static_cast<std::uint8_t>(outcome) | (repointed ? 0x10 : 0) |
                                      (error != 0 ? 0x20 : 0)));
    if (repointed) {
        PutBytes(items, from);
        PutBytes(items, to);
    }
    if (error != 0) PutSigned(items, error);
}

void AppendOutcomesRecord(std::size_t count, std::string_view items, std::string& out) {
    if (count == 0) return;
    const size_t start = OpenRecord(out);
    PutVarint(out, count);
    out.append(items);
    CloseRecord(out, start, kOutcomes);
}

void AppendOutcomes(const std::vector<std::pair<std::int64_t, OutcomeRecord>>& outcomes, std::string& out) {
    std::string items;
    for (const auto& [index, record] : outcomes) {
        AppendOutcomeItem(index, record.outcome, record.error, record.from, record.to, items);
    }
    AppendOutcomesRecord(outcomes.size(), items, out);
}

void AppendStep(bool begin, const StepRecord& step, std::string& out) {
    const size_t start = OpenRecord(out);
    PutVarint(out, static_cast<std::uint64_t>(step.index));
    out.push_back(static_cast<char>(step.kind));
    PutBytes(out, step.path);
    CloseRecord(out, start, begin ? kStepBegin : kStepEnd);
}

void AppendFinished(std::string& out) { CloseRecord(out, OpenRecord(out), kFinished); }

void AppendSummary(const RunSummary& summary, std::string& out) {
    const size_t start = OpenRecord(out);
    PutVarint(out, static_cast<std::uint64_t>(summary.items));
    PutBytes(out, summary.firstFolder);
    out.push_back(static_cast<char>((summary.recovered ? 0x01 : 0) | (summary.takenBack ? 0x02 : 0)));
    PutBytes(out, summary.process);
    CloseRecord(out, start, kSummary);
}

namespace {

// The intact record that starts at `at` (and ends where `bytes` do, when
// `toTheEnd`): its type, then its payload.
std::optional<std::string_view> RecordAt(std::string_view bytes, size_t at, bool toTheEnd) {
    if (bytes.size() - at < kFrameSize) return std::nullopt;
    const char* frame = bytes.data() + at;
    const std::uint32_t length = GetU32(frame);
    if (length > bytes.size() - at - kFrameSize) return std::nullopt;
    if (toTheEnd && length != bytes.size() - at - kFrameSize) return std::nullopt;
    std::uint32_t crc = Checksum(frame, 4);
    crc = static_cast<std::uint32_t>(
        crc32(crc, reinterpret_cast<const Bytef*>(frame + 8), static_cast<uInt>(1 + length)));
    if (crc != GetU32(frame + 4)) return std::nullopt;
    return bytes.substr(at + kFrameSize - 1, length + 1);  // the type, then the payload
}

}  // namespace

std::optional<JournalHeader> HeaderAtStart(std::string_view head) {
    const auto record = RecordAt(head, 0, false);
    JournalHeader header;
    if (!record || static_cast<std::uint8_t>(record->front()) != kHeader ||
        !ParseHeader(record->substr(1), header)) {
        return std::nullopt;
    }
    return header;
}

std::optional<RunSummary> SummaryAtEnd(std::string_view tail) {
    // The summary is the last record: the one frame that ends exactly at the
    // end of the file, its checksum holding.
    for (size_t at = tail.size() < kFrameSize ? 0 : tail.size() - kFrameSize + 1; at-- > 0;) {
        if (GetU32(tail.data() + at) != tail.size() - at - kFrameSize ||
            static_cast<std::uint8_t>(tail[at + kFrameSize - 1]) != kSummary) {
            continue;
        }
        const auto record = RecordAt(tail, at, true);
        RunSummary summary;
        if (record && ParseSummary(record->substr(1), summary)) return summary;
    }
    return std::nullopt;
}

void AppendChoice(Settling choice, std::string& out) {
    const size_t start = OpenRecord(out);
    out.push_back(static_cast<char>(choice));
    CloseRecord(out, start, kChoice);
}

}  // namespace kestrix::run
