#include "session/left_out_items.h"

namespace kestrix::session {

void LeftOutItems::add(const std::string& path) {
    ++count_;
    if (named_.size() < kNamed) named_.push_back(path);
}

LeftOutItems& LeftOutItems::operator+=(const LeftOutItems& other) {
    for (const std::string& path : other.named_) {
        if (named_.size() < kNamed) named_.push_back(path);
    }
    count_ += other.count_;
    return *this;
}

}  // namespace kestrix::session
