#pragma once

// Trees of real files for the benchmarks of adding and of the marks, made once
// in the temporary folder and kept for later runs; `rm -rf
// /tmp/kestrix-bench-tree-*` removes them (the largest holds 1,000,000 files).
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

#include "platform/folder_names.h"

namespace bench {

constexpr int kFilesPerFolder = 1000;

inline std::string FolderName(int folder) { return "Folder " + std::to_string(folder) + " zdjęcia/"; }
inline std::string FileName(int file) { return "IMG_" + std::to_string(10000 + file) + " wakacje.jpg"; }

// `folders` folders of 1,000 empty files each.
inline std::string Tree(int folders) {
    const std::string root = (std::filesystem::temp_directory_path() /
                              ("kestrix-bench-tree-" + std::to_string(folders) + "x1000/"))
                                 .string();
    if (std::filesystem::exists(root + ".complete")) return root;
    std::filesystem::remove_all(root);
    for (int folder = 0; folder < folders; ++folder) {
        const std::string dir = root + FolderName(folder);
        std::filesystem::create_directories(dir);
        for (int file = 0; file < kFilesPerFolder; ++file) {
            const int fd = ::open((dir + FileName(file)).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
            if (fd >= 0) ::close(fd);
        }
    }
    const int done = ::open((root + ".complete").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (done >= 0) ::close(done);
    return root;
}

// Until every folder's stamp is old enough to tell later changes, as a
// user's folders are: a tree made just now is read anew at every check.
inline void WaitUntilSettled(const std::string& root, int folders) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (int folder = 0; folder < folders; ++folder) {
        while (!kestrix::platform::ReadFolderNames(root + FolderName(folder)).lasting &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    }
}

}  // namespace bench
