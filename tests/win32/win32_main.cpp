// Runs the adapter tests. With --child it only waits, as the "other process" whose priority
// class the tests change.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  if (argc > 1 && std::wcscmp(argv[1], L"--child") == 0) {
    ::Sleep(60000);
    return 0;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
