#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kestrix::session {

// Items an adding operation leaves out because their full path is too long to
// rename: every one counted, the first few kept by path for the message that
// names them. Operations that belong together (a dropped folder's contents
// and the folder itself) add up their items, so the user is told once.
class LeftOutItems {
public:
    static constexpr std::size_t kNamed = 10;

    void add(const std::string& path);
    LeftOutItems& operator+=(const LeftOutItems& other);

    bool empty() const { return count_ == 0; }
    std::size_t count() const { return count_; }
    // The first kNamed paths left out, in the order they were met.
    const std::vector<std::string>& named() const { return named_; }

private:
    std::size_t count_ = 0;
    std::vector<std::string> named_;
};

}  // namespace kestrix::session
