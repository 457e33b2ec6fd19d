#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <QString>

namespace kestrix::apply {

// The renames of one run that could not be done, for the report shown after
// the run: all of them counted, the first few kept with the reason.
class RenameFailures {
public:
    static constexpr int kListed = 10;

    void add(const std::string& from, const std::string& to, const std::string& reason);
    std::int64_t count() const { return count_; }
    // "Nie udało się zmienić nazwy N plików:" and one line per kept failure:
    // the path, the name it was to get, and why it did not.
    QString messageText() const;

private:
    struct Failure {
        std::string from;
        std::string to;
        std::string reason;
    };
    std::vector<Failure> listed_;
    std::int64_t count_ = 0;
};

}  // namespace kestrix::apply
