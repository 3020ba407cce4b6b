// Profile files as Windows' profile calls read and write them, on files of a machine root.
#include "host/profile_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <future>
#include <random>
#include <thread>

#include "tests/support/temp_root.h"

namespace qx {
namespace {

using namespace std::string_literals;
using test::ReadFile;
using test::WriteFile;

constexpr char kIni[] = "C:\\Setup\\setup.ini";

std::string Get(const char* section, const char* key, const char* def = "", const char* file = kIni, DWORD size = 256) {
  std::string buffer(size, 'x');
  DWORD n = GetPrivateProfileStringA(section, key, def, buffer.data(), size, file);
  return buffer.substr(0, n);
}

// Runs READ, which must not wait on the FIFO at FIFO: one that does fails the test, and is let go
// by writers that come and go, so that the test ends either way.
template <typename Read>
auto WithoutWaitingOn(const std::string& fifo, Read read) {
  auto result = std::async(std::launch::async, read);
  if (result.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
    ADD_FAILURE() << "a read waits on the FIFO";
    while (result.wait_for(std::chrono::milliseconds(50)) == std::future_status::timeout)
      ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
  }
  return result.get();
}

class ProfileFileTest : public ::testing::Test {
 protected:
  std::string File(const std::string& relative) { return root_.path() + "/drive_c/" + relative; }
  test::TempRoot root_;
};

TEST_F(ProfileFileTest, ReadsNamesWithoutRegardToCaseAndValuesTrimmedOrTheDefault) {
  WriteFile(File("Setup/setup.ini"),
            "; settings\r\n[Settings]\r\n  FeedbackTone =  1200  \r\nQuoted=\" padded \"\r\nOne='x\r\n"
            "Tone=first\r\ntone=second\r\n[ settings ]\r\nLater=yes\r\n");
  EXPECT_EQ(Get("SETTINGS", "feedbacktone"), "1200");
  EXPECT_EQ(Get("Settings", "Quoted"), " padded ");  // one pair of enclosing quotes goes
  EXPECT_EQ(Get("Settings", "One"), "'x");
  EXPECT_EQ(Get("Settings", "Tone"), "first");
  EXPECT_EQ(Get("Settings", "Later"), "yes");  // a second section of the same name counts too
  EXPECT_EQ(Get("Settings", "Missing", "fallback  "), "fallback");
  EXPECT_EQ(Get("Other", "FeedbackTone", "d"), "d");
  EXPECT_EQ(Get("Settings", "FeedbackTone", "d", "C:\\Setup\\absent.ini"), "d");
  EXPECT_EQ(Get("Settings", "FeedbackTone", nullptr, "C:\\Setup"), "");  // a folder is no file
  // Cut to the buffer: at most size - 1 characters and the zero.
  char small[3];
  EXPECT_EQ(GetPrivateProfileStringA("Settings", "FeedbackTone", "", small, sizeof small, kIni), 2u);
  EXPECT_STREQ(small, "12");
  // A bare file name lies in the Windows folder.
  WriteFile(File("WINDOWS/win.ini"), "[windows]\nload=x\n");
  EXPECT_EQ(Get("windows", "load", "", "WIN.INI"), "x");
}

TEST_F(ProfileFileTest, ListsSectionsAndKeysEachOnce) {
  WriteFile(File("Setup/setup.ini"), "[A]\nk1=1\nK1=2\nk2=3\n[B]\n[a]\nk3=4\n");
  EXPECT_EQ(Get(nullptr, nullptr), std::string("A\0B\0", 4));
  EXPECT_EQ(Get("a", nullptr), std::string("k1\0k2\0k3\0", 9));
  char list[5];
  EXPECT_EQ(GetPrivateProfileStringA("A", nullptr, "", list, sizeof list, kIni), 3u);
  EXPECT_EQ(std::string(list, 5), std::string("k1\0\0\0", 5));
}

TEST_F(ProfileFileTest, FilesThatAreNotTextReadWithoutHarm) {
  std::mt19937 random(7);
  std::string noise(200000, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  WriteFile(File("Setup/setup.ini"),
            "\xEF\xBB\xBF[Head]\nno equals sign\n[unclosed\n=no key\n"s + noise + "\n[Tail]\rKey=\0value\r"s);
  EXPECT_EQ(Get("Head", "no equals sign", "d"), "d");
  EXPECT_EQ(Get("Tail", "Key"), std::string("\0value", 6));
  EXPECT_EQ(GetPrivateProfileStringA("Tail", "Key", "", nullptr, 10, kIni), 0u);
}

// What is not a regular file of at most 1 MiB reads as a missing file, at once (a FIFO with no
// writer would hold a reader forever), and is never written: the FIFO stays a FIFO, the large file
// keeps its size.
TEST_F(ProfileFileTest, WhatIsNotARegularFileOfAtMostOneMebibyteReadsAsMissing) {
  const std::string head = "[S]\nk=v\n";
  WriteFile(File("Setup/limit.ini"), head + std::string((1u << 20) - head.size(), ';'));
  EXPECT_EQ(Get("S", "k", "", "C:\\Setup\\limit.ini"), "v");  // 1 MiB exactly: read
  std::filesystem::create_directories(File("Setup/folder.ini"));
  ASSERT_EQ(::mkfifo(File("Setup/fifo.ini").c_str(), 0600), 0);
  struct Case {
    const char* file;
    std::uintmax_t size;  // of a regular file; 0 for the others
  };
  for (const Case& c :
       {Case{"big.ini", (1u << 20) + 1}, Case{"huge.ini", 17u << 20}, Case{"fifo.ini", 0}, Case{"folder.ini", 0}}) {
    SCOPED_TRACE(c.file);
    if (c.size) WriteFile(File("Setup/") + c.file, head + std::string(c.size - head.size(), 'x'));
    const std::string path = std::string("C:\\Setup\\") + c.file;
    const std::string fifo = File("Setup/fifo.ini");
    EXPECT_EQ(WithoutWaitingOn(fifo, [&] { return Get("S", "k", "default", path.c_str()); }), "default");
    EXPECT_EQ(WithoutWaitingOn(fifo, [&] { return Get(nullptr, nullptr, "", path.c_str()); }), "");
    EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "w", path.c_str()));
    if (c.size) {
      EXPECT_EQ(std::filesystem::file_size(File("Setup/") + c.file), c.size);
    }
  }
  EXPECT_TRUE(std::filesystem::is_fifo(File("Setup/fifo.ini")));
}

TEST_F(ProfileFileTest, ANewFileIsTheOwnersAloneWhateverTheUmask) {
  std::filesystem::create_directories(File("WINDOWS"));
  const mode_t previous = ::umask(0);
  const bool written = WritePrivateProfileStringA("rename", "NUL", "C:\\x", "WININIT.INI");
  ::umask(previous);
  ASSERT_TRUE(written);
  struct stat st {};
  ASSERT_EQ(::stat(File("WINDOWS/WININIT.INI").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
}

TEST_F(ProfileFileTest, AWriteChangesItsOwnLineAndKeepsEveryOtherAsItWas) {
  const std::string before =
      "; Strings of the driver\r\n"
      "[Version]\r\n"
      "Signature=\"$CHICAGO$\"\r\n"
      "\r\n"
      "[Strings]\r\n"
      "  Oem_Name = old ; not a comment\r\n"
      "InstallPath=C:\\Old\r\n"
      "; the last line of Strings\r\n"
      "\r\n"
      "[QxCOM]\n"
      "odd line\n";
  WriteFile(File("WINDOWS/inf/QXWMECOM.INF"), before);
  const char* inf = "C:\\WINDOWS\\INF\\qxwmecom.inf";
  EXPECT_TRUE(WritePrivateProfileStringA("strings", "OEM_NAME", "\"TouchScreen\"", inf));
  EXPECT_TRUE(WritePrivateProfileStringA("Strings", "OEM_CALL", "\"Driver V.7.0.COM\"", inf));
  EXPECT_TRUE(WritePrivateProfileStringA("Added", "Key", "value ", inf));
  EXPECT_EQ(ReadFile(File("WINDOWS/inf/QXWMECOM.INF")),
            "; Strings of the driver\r\n"
            "[Version]\r\n"
            "Signature=\"$CHICAGO$\"\r\n"
            "\r\n"
            "[Strings]\r\n"
            "Oem_Name=\"TouchScreen\"\r\n"
            "InstallPath=C:\\Old\r\n"
            "OEM_CALL=\"Driver V.7.0.COM\"\r\n"
            "; the last line of Strings\r\n"
            "\r\n"
            "[QxCOM]\n"
            "odd line\n"
            "[Added]\r\n"
            "Key=value \r\n");
  EXPECT_EQ(Get("Strings", "OEM_NAME", "", inf), "TouchScreen");

  // Deleting a key, then a whole section.
  EXPECT_TRUE(WritePrivateProfileStringA("Strings", "InstallPath", nullptr, inf));
  EXPECT_TRUE(WritePrivateProfileStringA("QXCOM", nullptr, nullptr, inf));
  std::string after = ReadFile(File("WINDOWS/inf/QXWMECOM.INF"));
  EXPECT_EQ(after.find("InstallPath"), std::string::npos);
  EXPECT_EQ(after.find("odd line"), std::string::npos);
  EXPECT_NE(after.find("[Added]\r\nKey=value \r\n"), std::string::npos);
}

// WININIT.INI's "rename" holds a NUL= line for each pending deletion: an added line goes beside the
// others, once, where a write would have replaced another program's.
TEST_F(ProfileFileTest, AnAddedEntryGoesBesideTheOthersOfItsKeyOnce) {
  const char* wininit = "C:\\WINDOWS\\WININIT.INI";
  WriteFile(File("WINDOWS/WININIT.INI"), "[rename]\r\nNUL=C:\\OTHER\\old.dll\r\n\r\n[boot]\r\nx=1\r\n");
  for (int i = 0; i < 2; ++i) EXPECT_TRUE(AddProfileEntry(wininit, "rename", "NUL", "C:\\WINDOWS\\QXWMECde.exe"));
  EXPECT_EQ(ReadFile(File("WINDOWS/WININIT.INI")),
            "[rename]\r\nNUL=C:\\OTHER\\old.dll\r\nNUL=C:\\WINDOWS\\QXWMECde.exe\r\n\r\n[boot]\r\nx=1\r\n");
  EXPECT_FALSE(AddProfileEntry(wininit, "rename", "NUL", "a\r\n[boot]\r\nshell=evil.exe"));
  std::filesystem::remove(File("WINDOWS/WININIT.INI"));
  EXPECT_TRUE(AddProfileEntry(wininit, "rename", "NUL", "C:\\x"));
  EXPECT_EQ(ReadFile(File("WINDOWS/WININIT.INI")), "[rename]\r\nNUL=C:\\x\r\n");
}

TEST_F(ProfileFileTest, AWriteCreatesTheFileOrRefusesWhatItCannotWriteBack) {
  const char* wininit = "C:\\WINDOWS\\WININIT.INI";
  EXPECT_FALSE(WritePrivateProfileStringA("rename", "NUL", "C:\\x", wininit));  // no folder C:\WINDOWS
  std::filesystem::create_directories(File("WINDOWS"));
  EXPECT_TRUE(WritePrivateProfileStringA("rename", "NUL", nullptr, wininit));  // nothing to delete
  EXPECT_FALSE(std::filesystem::exists(File("WINDOWS/WININIT.INI")));
  EXPECT_TRUE(WritePrivateProfileStringA("rename", "NUL", "C:\\WINDOWS\\QXWMECde.exe", wininit));
  EXPECT_EQ(ReadFile(File("WINDOWS/WININIT.INI")), "[rename]\r\nNUL=C:\\WINDOWS\\QXWMECde.exe\r\n");

  const std::string kept = ReadFile(File("WINDOWS/WININIT.INI"));
  EXPECT_FALSE(WritePrivateProfileStringA("rename", "NUL", "a\r\n[boot]\r\nshell=evil.exe", wininit));
  EXPECT_FALSE(WritePrivateProfileStringA("re]name", "k", "v", wininit));
  EXPECT_FALSE(WritePrivateProfileStringA("rename", "a=b", "v", wininit));
  EXPECT_FALSE(WritePrivateProfileStringA("rename", "; k", "v", wininit));
  EXPECT_FALSE(WritePrivateProfileStringA("rename", "  ", "v", wininit));
  EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "k", "v", wininit));
  EXPECT_EQ(ReadFile(File("WINDOWS/WININIT.INI")), kept);

  // A call named in run/failing-calls fails.
  WriteFile(root_.path() + "/run/failing-calls", "GetPrivateProfileStringA, WritePrivateProfileStringA\n");
  EXPECT_FALSE(WritePrivateProfileStringA("rename", "k", "v", wininit));
  EXPECT_EQ(Get("rename", "NUL", "", wininit), "");
}

TEST_F(ProfileFileTest, WritersOfOneFileTakeTurnsAndNoneLosesAnothersChange) {
  std::filesystem::create_directories(File("Setup"));
  auto writer = [](int who) {
    for (int i = 0; i < 40; ++i) {
      std::string key = "w" + std::to_string(who) + "_" + std::to_string(i);
      WritePrivateProfileStringA("Shared", key.c_str(), std::to_string(i).c_str(), kIni);
    }
  };
  std::thread a(writer, 1), b(writer, 2), c(writer, 3);
  a.join();
  b.join();
  c.join();
  char keys[8192];
  DWORD n = GetPrivateProfileStringA("Shared", nullptr, "", keys, sizeof keys, kIni);
  EXPECT_EQ(std::count(keys, keys + n, '\0'), 120);
}

}  // namespace
}  // namespace qx
