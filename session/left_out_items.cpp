#include "session/left_out_items.h"

namespace kestrix::session {

void LeftOutItems::Group::add(const std::string& path) {
    ++count;
    if (named.size() < kNamed) named.push_back(path);
}

void LeftOutItems::Group::add(const Group& other) {
    for (const std::string& path : other.named) {
        if (named.size() < kNamed) named.push_back(path);
    }
    count += other.count;
}

void LeftOutItems::add(const std::string& path, Why why) {
    (why == Why::Special ? special_ : tooLong_).add(path);
}

LeftOutItems& LeftOutItems::operator+=(const LeftOutItems& other) {
    tooLong_.add(other.tooLong_);
    special_.add(other.special_);
    return *this;
}

}  // namespace kestrix::session
