#pragma once

#include <gtest/gtest.h>

#include "exfat_mount.h"

namespace kestrix::testing {

// A test on a fresh exFAT volume; skipped with the reason where none can be mounted.
class ExfatVolume : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string reason = volume_.mount();
        if (!reason.empty()) GTEST_SKIP() << "exFAT volume not available: " << reason;
    }
    void TearDown() override {
        if (!volume_.unmount()) ADD_FAILURE() << "could not unmount or detach " << volume_.root();
    }

    const std::string& root() const { return volume_.root(); }
    std::string operator/(const std::string& name) const { return root() + "/" + name; }

    ExfatMount volume_;
};

}  // namespace kestrix::testing
