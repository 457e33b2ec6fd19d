// The entries handed to another thread stay as they were taken while the list
// goes on changing: every way the list changes leaves a snapshot alone.
#include "session/entry_list.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace kestrix::session::testing {
namespace {

std::vector<ListEntry> ThreeEntries() { return {{"a", "a1"}, {"b", "b1"}, {"c", "c1"}}; }

struct Change {
    const char* name;
    std::function<void(EntryList&)> apply;
    std::vector<std::string> currentAfter;
};

class SnapshotTest : public ::testing::TestWithParam<Change> {};

TEST_P(SnapshotTest, KeepsTheEntriesItWasTakenWith) {
    EntryList list;
    list.setEntries(ThreeEntries());
    const auto snapshot = list.snapshot();
    GetParam().apply(list);

    EXPECT_EQ(*snapshot, ThreeEntries());
    std::vector<std::string> current;
    for (const ListEntry& entry : list.entries()) current.push_back(entry.current);
    EXPECT_EQ(current, GetParam().currentAfter);
}

INSTANTIATE_TEST_SUITE_P(
    EveryChange, SnapshotTest,
    ::testing::Values(Change{"append",
                             [](EntryList& l) {
                                 l.append(ListEntry{"d", "d1"});
                             },
                             {"a", "b", "c", "d"}},
                      Change{"appendMany",
                             [](EntryList& l) {
                                 l.append(std::vector<ListEntry>{{"d", "d1"}});
                             },
                             {"a", "b", "c", "d"}},
                      Change{"replace",
                             [](EntryList& l) {
                                 l.replace(1, {"x", "x1"});
                             },
                             {"a", "x", "c"}},
                      Change{"replaceQuietly",
                             [](EntryList& l) {
                                 l.replaceQuietly(0, {"x", "x1"});
                             },
                             {"x", "b", "c"}},
                      Change{"rebuild",
                             [](EntryList& l) {
                                 l.rebuildWhere([](int, ListEntry& entry) {
                                     entry.current += "!";
                                     return true;
                                 });
                             },
                             {"a!", "b!", "c!"}},
                      Change{"swap", [](EntryList& l) { l.swap(0, 2); }, {"c", "b", "a"}},
                      Change{"reorder",
                             [](EntryList& l) {
                                 l.reorder({2, 0, 1});
                             },
                             {"c", "a", "b"}},
                      Change{"remove", [](EntryList& l) { l.removeRowsAt({1}); }, {"a", "c"}},
                      Change{"clear", [](EntryList& l) { l.clear(); }, {}}),
    [](const ::testing::TestParamInfo<Change>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrix::session::testing
