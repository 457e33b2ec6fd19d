#include "ini_file.h"

#include <climits>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "folders.h"
#include "test_support.h"

namespace kestrix::platform {
namespace {

using testing::ReadFile;
using testing::RunBounded;
using testing::RunUnprivileged;
using testing::TempFolder;
using testing::WriteFile;

// Built by appending: GCC 12 warns falsely about "literal" + std::string.
std::string Key(size_t index) {
    std::string key = "k";
    key += std::to_string(index);
    return key;
}

TEST(IniFile, AMissingFileReadsAsEmptyAndIsCreatedByTheFirstWrite) {
    TempFolder temp;
    const std::string path = temp / "kestrix.ini";
    IniFile ini(path);
    EXPECT_EQ(ini.readString("Wyglad", "Wys"), std::nullopt);
    EXPECT_EQ(ini.readInteger("Wyglad", "Wys", 541), 541);

    ASSERT_TRUE(ini.writeString("Wyglad", "Wys", "541"));
    ASSERT_TRUE(ini.writeString("Wyglad", "Szer", "640"));
    ASSERT_TRUE(ini.writeString("Wyglad", "Wys", "600"));
    EXPECT_EQ(ReadFile(path), "[Wyglad]\nWys=600\nSzer=640\n");
    EXPECT_EQ(IniFile(path).readInteger("Wyglad", "Wys", 0), 600);
}

TEST(IniFile, AWriteKeepsEverythingElseAndAppendsNewKeysToTheirSection) {
    TempFolder temp;
    const std::string path = temp / "kestrix.ini";
    ASSERT_TRUE(WriteFile(path,
                          "; settings\n"
                          "[Wyglad]\n"
                          "Wys = 541\n"
                          "; a comment inside\n"
                          "Szer=640\n"
                          "\n"
                          "[Inne]\n"
                          "Wys=1\n"
                          "klucz=tekst z odstępami\n"));
    IniFile ini(path);
    ASSERT_TRUE(ini.writeString("wyglad", "WYS", "700"));   // names compare without case
    ASSERT_TRUE(ini.writeString("Wyglad", "PolY", "241"));  // after Szer, before the blank line
    ASSERT_TRUE(ini.writeString("Nowa", "k", "v"));         // a new section goes last
    ASSERT_TRUE(ini.writeString("Inne", "pusty", ""));

    EXPECT_EQ(ReadFile(path),
              "; settings\n"
              "[Wyglad]\n"
              "Wys=700\n"
              "; a comment inside\n"
              "Szer=640\n"
              "PolY=241\n"
              "\n"
              "[Inne]\n"
              "Wys=1\n"
              "klucz=tekst z odstępami\n"
              "pusty=\n"
              "[Nowa]\n"
              "k=v\n");

    const IniFile reread(path);
    EXPECT_EQ(reread.readInteger("Inne", "Wys", 0), 1);
    EXPECT_EQ(reread.readString("INNE", "Klucz"), "tekst z odstępami");
    EXPECT_EQ(reread.readString("Inne", "pusty"), "");
    EXPECT_EQ(reread.readString("Wyglad", "klucz"), std::nullopt);
    EXPECT_EQ(reread.readString("Brak", "Wys"), std::nullopt);
}

TEST(IniFile, KeepsWindowsLineEndings) {
    TempFolder temp;
    const std::string path = temp / "kestrix.ini";
    ASSERT_TRUE(WriteFile(path, "[Wyglad]\r\nWys=541\r\n"));
    IniFile ini(path);
    EXPECT_EQ(ini.readInteger("Wyglad", "Wys", 0), 541);
    ASSERT_TRUE(ini.writeString("Wyglad", "Szer", "640"));
    EXPECT_EQ(ReadFile(path), "[Wyglad]\r\nWys=541\r\nSzer=640\r\n");
}

TEST(IniFile, ReadsDecimalAndHexadecimalIntegersOrFallsBack) {
    struct Case {
        const char* text;
        int expected;
    };
    const Case cases[] = {
        {"541", 541},
        {"  42  ", 42},
        {"-120", -120},
        {"+7", 7},
        {"0x20", 32},
        {"$20", 32},
        {"0X1f", 31},
        {"$fF", 255},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"2147483648", -99},
        {"$100000000", -99},
        {"abc", -99},
        {"", -99},
        {"12abc", -99},
        {"0x", -99},
        {"$", -99},
        {"-", -99},
        {"1 2", -99},
        {"$G", -99},
        {"1.5", -99},
    };
    TempFolder temp;
    const std::string path = temp / "numbers.ini";
    std::string content = "[N]\n";
    for (size_t i = 0; i < std::size(cases); ++i) content += Key(i) + "=" + cases[i].text + "\n";
    ASSERT_TRUE(WriteFile(path, content));

    const IniFile ini(path);
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(ini.readInteger("N", Key(i), -99), cases[i].expected) << '"' << cases[i].text << '"';
    }
    EXPECT_EQ(ini.readInteger("N", "missing", -99), -99);
}

TEST(IniFile, RefusesWhatWouldNotReadBack) {
    TempFolder temp;
    const std::string path = temp / "kestrix.ini";
    ASSERT_TRUE(WriteFile(path, "[A]\nk=1\n"));
    IniFile ini(path);
    EXPECT_FALSE(ini.writeString("A", "k", "1\n[B]"));
    EXPECT_FALSE(ini.writeString("A", "a=b", "1"));
    EXPECT_FALSE(ini.writeString("A]", "k", "1"));
    EXPECT_FALSE(ini.writeString("A", "", "1"));
    EXPECT_EQ(ReadFile(path), "[A]\nk=1\n");
}

TEST(IniFile, AWriteReplacesTheFileAtOnceAndLeavesNoTemporaryFile) {
    TempFolder temp;
    const std::string path = temp / "kestrix.ini";
    const std::string original = "[Wyglad]\nWys=541\n";
    ASSERT_TRUE(WriteFile(path, original));
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    // A reader that opened the file before the writes keeps reading the old
    // file whole: the new content never went into it.
    const int reader = open(path.c_str(), O_RDONLY);
    ASSERT_GE(reader, 0);

    IniFile ini(path);
    for (int i = 0; i < 7; ++i) ASSERT_TRUE(ini.writeString("Wyglad", Key(i), "1"));

    char buffer[64] = {};
    EXPECT_EQ(pread(reader, buffer, sizeof buffer - 1, 0), static_cast<ssize_t>(original.size()));
    EXPECT_EQ(buffer, original);
    struct stat old, now;
    ASSERT_EQ(fstat(reader, &old), 0);
    close(reader);
    ASSERT_EQ(stat(path.c_str(), &now), 0);
    EXPECT_NE(now.st_ino, old.st_ino);
    EXPECT_EQ(now.st_mode & 07777, 0640u);
    EXPECT_EQ(IniFile(path).readInteger("Wyglad", Key(6), 0), 1);
    ASSERT_EQ(ListFolder(temp.path()).size(), 1u);
    EXPECT_EQ(ListFolder(temp.path())[0].name, "kestrix.ini");
}

TEST(IniFile, WritesThroughALinkToTheFileItNames) {
    TempFolder temp;
    ASSERT_EQ(mkdir((temp / "real").c_str(), 0755), 0);
    ASSERT_TRUE(WriteFile(temp / "real/kestrix.ini", "[A]\nk=1\n"));
    ASSERT_EQ(symlink("real/kestrix.ini", (temp / "kestrix.ini").c_str()), 0);

    IniFile ini(temp / "kestrix.ini");
    ASSERT_TRUE(ini.writeString("A", "k", "2"));
    EXPECT_EQ(ReadFile(temp / "real/kestrix.ini"), "[A]\nk=2\n");
    char target[32] = {};
    EXPECT_GT(readlink((temp / "kestrix.ini").c_str(), target, sizeof target - 1), 0);
}

TEST(IniFile, AnUnwritableLocationFailsAndLeavesTheFileAsItWas) {
    TempFolder temp;
    const std::string path = temp / "kestrix.ini";
    ASSERT_TRUE(WriteFile(path, "[Wyglad]\nWys=541\n"));

    IniFile inMissingFolder(temp / "missing/kestrix.ini");
    EXPECT_FALSE(CanWriteFile(inMissingFolder.path()));
    EXPECT_FALSE(inMissingFolder.writeString("Wyglad", "Wys", "1"));

    // A read-only folder stops only a user without root's powers.
    ASSERT_EQ(chmod(temp.path().c_str(), 0555), 0);
    const int outcome = RunUnprivileged([&] {
        IniFile ini(path);
        if (ini.readInteger("Wyglad", "Wys", 0) != 541) return 1;
        if (CanWriteFile(path)) return 2;
        if (ini.writeString("Wyglad", "Wys", "600")) return 3;
        if (ini.writeString("Wyglad", "Nowy", "1")) return 4;
        return 0;
    });
    ASSERT_EQ(chmod(temp.path().c_str(), 0700), 0);
    if (outcome < 0) GTEST_SKIP() << "cannot run a child process without root's file access";
    EXPECT_EQ(outcome, 0);
    EXPECT_EQ(ReadFile(path), "[Wyglad]\nWys=541\n");
    EXPECT_EQ(ListFolder(temp.path()).size(), 1u);
    EXPECT_TRUE(CanWriteFile(path));
    EXPECT_TRUE(CanWriteFile(temp / "new.ini"));
}

std::string LinkTarget(const std::string& link) {
    char target[4096] = {};
    return readlink(link.c_str(), target, sizeof target - 1) > 0 ? target : "";
}

TEST(IniFile, KeepsEachLinesOwnEndingAndEveryByteOutsideTheKeysWritten) {
    TempFolder temp;
    const std::string path = temp / "kestrix.ini";
    // The first line ends in LF, the others in CR LF; blanks, a comment, a
    // key spelled in its own case and a last line without an ending.
    ASSERT_TRUE(WriteFile(path,
                          "; LF only here\n"
                          "[Wyglad]\r\n"
                          "  Wys = 541 \r\n"
                          "; inside\r\n"
                          "SZER=640\r\n"
                          "\r\n"
                          "[Inne]\r\n"
                          "k=v"));
    IniFile ini(path);
    ASSERT_TRUE(ini.writeStrings("Wyglad", {{"Wys", "600"}, {"PolY", "10"}, {"Szer", "700"}}));
    ASSERT_TRUE(ini.writeString("Nowa", "a", "1"));
    EXPECT_EQ(ReadFile(path),
              "; LF only here\n"
              "[Wyglad]\r\n"
              "Wys=600\r\n"
              "; inside\r\n"
              "SZER=700\r\n"
              "PolY=10\r\n"
              "\r\n"
              "[Inne]\r\n"
              "k=v\n"  // the last line gets an ending (the file's first) so the new section can follow
              "[Nowa]\n"
              "a=1\n");
}

TEST(IniFile, KeysWrittenByAnotherProgramMeanwhileSurvive) {
    TempFolder temp;
    const std::string path = temp / "kestrix.ini";
    ASSERT_TRUE(WriteFile(path, "[Wyglad]\nWys=541\n"));
    IniFile ini(path);
    ASSERT_EQ(ini.readString("Wyglad", "Wys"), "541");  // the file as it was, read
    ASSERT_TRUE(WriteFile(path, "[Wyglad]\nWys=541\nObcy=1\n[Inna]\nx=2\n"));
    ASSERT_TRUE(ini.writeString("Wyglad", "Wys", "600"));
    EXPECT_EQ(ReadFile(path), "[Wyglad]\nWys=600\nObcy=1\n[Inna]\nx=2\n");
}

TEST(IniFile, NeitherAFifoNorADeviceIsReadOrWritten) {
    TempFolder temp;
    ASSERT_EQ(mkfifo((temp / "fifo.ini").c_str(), 0644), 0);
    ASSERT_EQ(symlink("/dev/zero", (temp / "zero.ini").c_str()), 0);
    // A FIFO would hold a plain open until a writer came, and /dev/zero never
    // ends: each must come back at once, well within these bounds.
    for (const char* name : {"fifo.ini", "zero.ini"}) {
        const std::string path = temp / name;
        const int outcome = RunBounded(20, size_t{512} << 20, [&] {
            IniFile ini(path);
            if (ini.readString("Wyglad", "Wys")) return 1;
            if (ini.writeString("Wyglad", "Wys", "600")) return 2;
            return 0;
        });
        EXPECT_EQ(outcome, 0) << name << " (-1: it hung or ran out of memory)";
    }
    struct stat st;
    ASSERT_EQ(lstat((temp / "fifo.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(LinkTarget(temp / "zero.ini"), "/dev/zero");
    EXPECT_EQ(ListFolder(temp.path()).size(), 2u);
}

TEST(IniFile, ALinkOfAnotherUserIsNotFollowed) {
    TempFolder temp;
    const std::string victim = temp / "victim.txt";
    ASSERT_TRUE(WriteFile(victim, "[Wyglad]\nWys=700\n"));
    const std::string link = temp / "kestrix.ini";
    ASSERT_EQ(symlink("victim.txt", link.c_str()), 0);
    if (lchown(link.c_str(), 65534, 65534) != 0) {
        GTEST_SKIP() << "cannot give the link to another user (that needs root); not covered: a link of "
                        "another user's is neither read nor written through";
    }

    IniFile ini(link);
    EXPECT_EQ(ini.readString("Wyglad", "Wys"), std::nullopt);
    EXPECT_FALSE(ini.writeString("Wyglad", "Wys", "600"));
    EXPECT_EQ(ReadFile(victim), "[Wyglad]\nWys=700\n");
    EXPECT_EQ(LinkTarget(link), "victim.txt");
    EXPECT_EQ(ListFolder(temp.path()).size(), 2u);
}

TEST(IniFile, AnOwnDanglingLinkIsSavedThroughToTheFileItNames) {
    TempFolder temp;
    ASSERT_EQ(mkdir((temp / "dotfiles").c_str(), 0755), 0);
    const std::string link = temp / "kestrix.ini";
    ASSERT_EQ(symlink("dotfiles/kestrix.ini", link.c_str()), 0);

    IniFile ini(link);
    ASSERT_TRUE(ini.writeString("Wyglad", "Wys", "600"));
    EXPECT_EQ(ReadFile(temp / "dotfiles/kestrix.ini"), "[Wyglad]\nWys=600\n");
    EXPECT_EQ(LinkTarget(link), "dotfiles/kestrix.ini");
    EXPECT_EQ(IniFile(link).readInteger("Wyglad", "Wys", 0), 600);
}

TEST(IniFile, TemporariesLeftByAWriterThatIsGoneAreRemovedAtTheNextWrite) {
    TempFolder temp;
    const std::string path = temp / "kestrix.ini";
    const pid_t gone = fork();
    if (gone == 0) _exit(0);
    ASSERT_GT(gone, 0);
    ASSERT_EQ(waitpid(gone, nullptr, 0), gone);
    const std::string stale = path + ".tmp-" + std::to_string(gone) + "-3";
    const std::string running = path + ".tmp-" + std::to_string(getppid()) + "-1";
    const std::string strangers[] = {path + ".tmp-" + std::to_string(gone) + "-x", path + ".tmp-",
                                     temp / ("other.ini.tmp-" + std::to_string(gone) + "-1")};
    for (const std::string& file : {stale, running, strangers[0], strangers[1], strangers[2]}) {
        ASSERT_TRUE(WriteFile(file, "half"));
    }
    const std::string staleFolder = path + ".tmp-" + std::to_string(gone) + "-4";
    ASSERT_EQ(mkdir(staleFolder.c_str(), 0755), 0);

    IniFile ini(path);
    ASSERT_TRUE(ini.writeString("Wyglad", "Wys", "600"));
    EXPECT_FALSE(Exists(stale));
    EXPECT_TRUE(Exists(running));
    for (const std::string& file : strangers) EXPECT_TRUE(Exists(file)) << file;
    EXPECT_TRUE(IsFolder(staleFolder));
    EXPECT_EQ(ReadFile(path), "[Wyglad]\nWys=600\n");
}

}  // namespace
}  // namespace kestrix::platform
