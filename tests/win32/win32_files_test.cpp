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

TEST(Win32Files, ReadsFilesOfTheCurrentDirectoryAndNothingElse) {
  TempCurrentDirectory dir;
  win32::Win32Files files;
  EXPECT_EQ(files.ReadFile(u"nolist.txt"), std::nullopt) << "missing";

  const std::string bytes("a\r\n\0b\xff\n", 7);
  std::ofstream(L"nolist.txt", std::ios::binary) << bytes;
  EXPECT_EQ(files.ReadFile(u"nolist.txt"), bytes) << "read byte for byte";

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
    win32::UniqueFile held(::CreateFileW(L"nolist.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    EXPECT_FALSE(files.SaveFile(u"nolist.txt", "third\r\n"));
  }
  EXPECT_EQ(files.ReadFile(u"nolist.txt"), "second\r\n");
  EXPECT_EQ(::GetFileAttributesW(L"nolist.txt.new"), INVALID_FILE_ATTRIBUTES)
      << "no temporary file is left behind";
}

TEST(Win32Files, DecodesTheAnsiCodePage) {
  win32::Win32Files files;
  EXPECT_EQ(files.DecodeAnsi(""), u"");
  EXPECT_EQ(files.DecodeAnsi("Calc"), u"Calc");
  if (::GetACP() == 932) {
    EXPECT_EQ(files.DecodeAnsi("\x83\x81\x83\x82\x92\xA0"), u"メモ帳");
    EXPECT_FALSE(files.DecodeAnsi("\x83").empty()) << "a lone lead byte still decodes";
  } else if (::GetACP() == 1252) {
    EXPECT_EQ(files.DecodeAnsi("caf\xE9"), u"caf\u00E9");
  }
}

}  // namespace
}  // namespace stackle
