#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kestrix::session {

// Items an adding operation leaves out: those whose full path is too long to
// rename, and those that are neither files nor folders (FIFOs, sockets and
// device nodes), which are not the program's to rename. Every one is counted,
// the first few of each kind kept by path for the message that names them.
// Operations that belong together (a dropped folder's contents and the folder
// itself, several dropped items) add up their items, so the user is told once.
class LeftOutItems {
public:
    static constexpr std::size_t kNamed = 10;

    enum class Why { TooLong, Special };

    void add(const std::string& path, Why why = Why::TooLong);
    LeftOutItems& operator+=(const LeftOutItems& other);

    bool empty() const { return tooLong_.count == 0 && special_.count == 0; }
    // Those left out for a path too long.
    std::size_t count() const { return tooLong_.count; }
    // The first kNamed of them, in the order they were met.
    const std::vector<std::string>& named() const { return tooLong_.named; }
    // Those left out for being FIFOs, sockets or device nodes.
    std::size_t specialCount() const { return special_.count; }
    const std::vector<std::string>& specialNamed() const { return special_.named; }

private:
    struct Group {
        std::size_t count = 0;
        std::vector<std::string> named;
        void add(const std::string& path);
        void add(const Group& other);
    };
    Group tooLong_;
    Group special_;
};

}  // namespace kestrix::session
