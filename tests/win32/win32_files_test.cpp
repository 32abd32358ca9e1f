#include "platform/win32/win32_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

#include "platform/win32/unique_resource.h"

namespace stackle {
namespace {

// A fresh directory made the current one for the test's lifetime.
struct TempCurrentDirectory {
  wchar_t previous[MAX_PATH];
  std::wstring path;
  TempCurrentDirectory() {
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    wchar_t base[MAX_PATH];
    ::GetTempPathW(MAX_PATH, base);
    path = std::wstring(base) + L"stackle-files-" + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(path.c_str(), nullptr);
    ::SetCurrentDirectoryW(path.c_str());
  }
  ~TempCurrentDirectory() {
    ::SetCurrentDirectoryW(previous);
    ::DeleteFileW((path + L"\\nolist.txt").c_str());
    ::RemoveDirectoryW((path + L"\\nolist.txt").c_str());
    ::RemoveDirectoryW(path.c_str());
  }
};

win32::UniqueFile Hold(DWORD access, DWORD share) {
  return win32::UniqueFile(::CreateFileW(L"nolist.txt", access, share, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
}

TEST(Win32Files, ReadsFilesOfTheCurrentDirectoryAndNothingElse) {
  TempCurrentDirectory dir;
  win32::Win32Files files;
  EXPECT_EQ(files.ReadFile(u"nolist.txt"), std::nullopt) << "missing";

  const std::string bytes("a\r\n\0b\xff\n", 7);
  std::ofstream(L"nolist.txt", std::ios::binary) << bytes;
  EXPECT_EQ(files.ReadFile(u"nolist.txt"), bytes) << "read byte for byte";
  {
    // An editor keeps the file open for writing while the user works on it.
    const auto held = Hold(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(held);
    EXPECT_EQ(files.ReadFile(u"nolist.txt"), bytes) << "read while an editor holds it";
  }

  ::DeleteFileW(L"nolist.txt");
  ::CreateDirectoryW(L"nolist.txt", nullptr);
  EXPECT_EQ(files.ReadFile(u"nolist.txt"), std::nullopt) << "a directory of that name";
}

TEST(Win32Files, ReplacesAFileWholeOrNotAtAll) {
  TempCurrentDirectory dir;
  win32::Win32Files files;
  EXPECT_TRUE(files.SaveFile(u"nolist.txt", "first\r\n"));
  EXPECT_TRUE(files.SaveFile(u"nolist.txt", "second\r\n"));
  EXPECT_EQ(files.ReadFile(u"nolist.txt"), "second\r\n");
  {
    // Another program holds the file without letting it be replaced.
    const auto held = Hold(GENERIC_READ, 0);
    ASSERT_TRUE(held);
    EXPECT_FALSE(files.SaveFile(u"nolist.txt", "third\r\n"));
  }
  EXPECT_EQ(files.ReadFile(u"nolist.txt"), "second\r\n");
  EXPECT_EQ(::GetFileAttributesW(L"nolist.txt.new"), INVALID_FILE_ATTRIBUTES)
      << "no temporary file is left behind";
}

}  // namespace
}  // namespace stackle
