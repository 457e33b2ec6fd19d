#pragma once

#include <functional>
#include <string>

#include "engine/item_facts.h"

namespace kestrix::session {

// Where the session learns what the files say about themselves: the date a
// photo was taken, the camera model and the audio tags. Called on the
// window's thread with the path of an item and the facts a rule needs
// (only those among DateTaken, Camera, Artist, Title, Album, Track and
// Year); it fills in those the item has and leaves the others missing, which
// keeps the entry at its name with the reason. The session itself fills in
// the modification time and the folder name.
using ItemFactsSource = std::function<void(const std::string& path, FactKinds wanted, ItemFacts& facts)>;

}  // namespace kestrix::session
