// Rules under Wine: how soon a Top rule pins a window shown, or retitled 300 ms after it was
// shown, and what a burst of 1,000 windows from ten programs with 50 rules costs Stackle, against
// a baseline that makes the same reads and calls itself.
//
//   stackle_rule_bench <stackle.exe> <working directory> <results.json> [trials]
//   stackle_rule_bench --burst <program index> <windows>   (one of the ten burst programs)
//   stackle_rule_bench --baseline                          (the baseline, in its own process)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwctype>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench_common.h"
#include "catalogue/text.h"
#include "harness/win32_harness.h"
#include "remote/rules.h"

namespace {

using namespace stackle::harness;
using stackle::bench::NowMs;
using stackle::bench::Stats;
using stackle::bench::Summarize;

constexpr int kPrograms = 10, kBurstWindows = 1000, kRules = 50;

// CPU time in ms as Linux counts it for the Unix process behind a Wine process, read from
// /proc through Wine's Z: drive: Wine gives no other process's times. `stat` is the path of a
// process's stat file.
double CpuMs(const std::wstring& stat) {
  FILE* file = _wfopen(stat.c_str(), L"r");
  if (!file) return 0;
  char text[1024] = {};
  std::fread(text, 1, sizeof text - 1, file);
  std::fclose(file);
  // After the command's name in parentheses: utime and stime are the 12th and 13th fields.
  const char* at = std::strrchr(text, ')');
  unsigned long utime = 0, stime = 0;
  if (!at || std::sscanf(at + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &utime,
                         &stime) != 2) {
    return 0;
  }
  return (utime + stime) * 1000.0 / 100;  // clock ticks of 10 ms
}

// The stat file of the Unix process whose program's file name is `name`.
std::wstring StatOf(std::string_view name) {
  WIN32_FIND_DATAW found;
  const HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &found);
  if (find == INVALID_HANDLE_VALUE) return {};
  std::wstring stat;
  do {
    const std::wstring dir = std::wstring(L"Z:\\proc\\") + found.cFileName;
    if (!std::iswdigit(found.cFileName[0])) continue;
    FILE* file = _wfopen((dir + L"\\cmdline").c_str(), L"rb");
    if (!file) continue;
    char line[1024] = {};
    std::fread(line, 1, sizeof line - 1, file);
    std::fclose(file);
    const std::string_view program(line);  // the first argument, up to its NUL
    const size_t slash = program.find_last_of("/\\");
    if (program.substr(slash == program.npos ? 0 : slash + 1) == name) stat = dir + L"\\stat";
  } while (stat.empty() && FindNextFileW(find, &found));
  FindClose(find);
  return stat;
}

bool IsTopMost(HWND window) {
  return GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST;
}

// 50 rules: one pins the timed windows, ten the burst's matching windows (one program's each),
// the others match nothing.
std::string RuleFile() {
  std::string rules = "[Rules]\r\nTop=title:\"Bench pin*\"\r\n";
  for (int i = 1; i < kRules; ++i) {
    rules += i % 4 == 0 && i / 4 <= kPrograms
                 ? "Top=title:\"Burst match " + std::to_string(i / 4) + "-*\"\r\n"
                 : "Top=exe:nothing" + std::to_string(i) + ".exe title:\"*never*\"\r\n";
  }
  return rules;
}

HWND OpenWindow(const std::wstring& title, bool show) {
  const HWND window = CreateWindowExW(0, L"StackleRuleBench", title.c_str(), WS_OVERLAPPEDWINDOW,
                                      60, 60, 200, 120, nullptr, nullptr, nullptr, nullptr);
  if (show) ShowWindow(window, SW_SHOWNOACTIVATE);
  return window;
}

// From the show (or the retitle) to the pin, in ms; a window never pinned counts as 5,000.
double TimeToPin(bool retitle, int trial) {
  const std::wstring n = std::to_wstring(trial);
  const HWND window = OpenWindow(retitle ? L"Bench later " + n : L"Bench pin " + n, false);
  double start = NowMs();
  ShowWindow(window, SW_SHOWNOACTIVATE);
  if (retitle) {
    Rest(300);
    start = NowMs();
    SetWindowTextW(window, (L"Bench pin, later " + n).c_str());
  }
  WaitUntil([&] { return IsTopMost(window); }, 5000, 1);
  const double elapsed = NowMs() - start;
  DestroyWindow(window);
  Rest(50);
  return std::min(elapsed, 5000.0);
}

int RunBurstProgram(int program, int count) {
  RegisterPlainClass(L"StackleRuleBench");
  std::vector<HWND> windows;
  for (int i = 0; i < count; ++i) {
    const std::wstring title = (i % 10 == 0 ? L"Burst match " : L"Burst other ") +
                               std::to_wstring(program + 1) + L"-" + std::to_wstring(i);
    windows.push_back(OpenWindow(title, true));
  }
  Rest(INFINITE);  // ended by the bench
  return 0;
}

// The least the same work takes: each listed window's title and class read, its program's path
// read once per program, the rules matched, and the matching windows pinned.
void Baseline() {
  const stackle::RuleBook book = stackle::ReadRules(RuleFile());
  std::map<DWORD, stackle::Text> paths;
  for (HWND window : ZOrder()) {
    if (!IsWindowVisible(window)) continue;
    wchar_t title[256], class_name[256];
    const int length = GetWindowTextW(window, title, 256);
    if (length == 0) continue;
    GetClassNameW(window, class_name, 256);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    auto [path, added] = paths.try_emplace(process);
    if (added) {
      wchar_t full[MAX_PATH];
      DWORD size = MAX_PATH;
      const HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
      if (handle && QueryFullProcessImageNameW(handle, 0, full, &size))
        path->second.assign(reinterpret_cast<char16_t*>(full), size);
      if (handle) CloseHandle(handle);
    }
    const stackle::WindowFacts facts{{reinterpret_cast<char16_t*>(title), size_t(length)},
                                     reinterpret_cast<char16_t*>(class_name),
                                     path->second};
    for (const stackle::Rule& rule : book.rules) {
      if (!stackle::Matches(rule, facts)) continue;
      SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      break;
    }
  }
}

std::vector<HWND> Matching() {
  std::vector<HWND> matching;
  for (HWND window : ZOrder()) {
    wchar_t title[64] = {};
    InternalGetWindowText(window, title, 64);
    if (std::wstring_view(title).starts_with(L"Burst match")) matching.push_back(window);
  }
  return matching;
}

void Print(FILE* out, const char* name, const Stats& s, const char* end = ",") {
  std::fprintf(out, "  \"%s\": {\"median\": %.3f, \"q1\": %.3f, \"q3\": %.3f, \"min\": %.3f}%s\n",
               name, s.median, s.p25, s.p75, s.min, end);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 4 && std::wstring_view(argv[1]) == L"--burst")
    return RunBurstProgram(_wtoi(argv[2]), _wtoi(argv[3]));
  // The baseline's pass, or a process that does nothing, each in a process of its own, so
  // that its time is read as Stackle's is.
  // The baseline's pass in a process of its own, which tells its own CPU time as its result.
  if (argc == 2 && std::wstring_view(argv[1]) == L"--baseline") {
    const double before = CpuMs(L"Z:\\proc\\self\\stat");
    Baseline();
    return static_cast<int>(CpuMs(L"Z:\\proc\\self\\stat") - before);
  }
  if (argc != 4 && argc != 5) {
    std::fwprintf(stderr,
                  L"usage: stackle_rule_bench <stackle.exe> <dir> <results.json> [trials]\n");
    return 2;
  }
  const int trials = argc == 5 ? _wtoi(argv[4]) : 25;
  const std::wstring dir = argv[2];
  const std::string rules = RuleFile();
  if (FILE* ini = _wfopen((dir + L"\\stackle.ini").c_str(), L"wb")) {
    std::fwrite(rules.data(), 1, rules.size(), ini);
    std::fclose(ini);
  }
  RegisterPlainClass(L"StackleRuleBench");
  try {
    Process stackle(argv[1], L"", dir.c_str());
    const HWND dialog = WaitForWindowOf(stackle.id(), kDialogClass);
    if (!dialog) throw std::runtime_error("no dialog");
    Rest(1000);  // start-up's own work done
    std::vector<double> shown, retitled;
    for (int t = 0; t < trials; ++t) {
      shown.push_back(TimeToPin(false, t));
      retitled.push_back(TimeToPin(true, t));
    }

    // The burst: ten programs open 100 windows each; Stackle's CPU time until every match is
    // pinned, against the baseline's for the same windows unpinned again. Stackle sits in the
    // notification area, as it does all day.
    PostMessageW(dialog, WM_COMMAND, IDM_HIDE_DIALOG, 0);
    WaitUntil([&] { return !IsWindowVisible(dialog); });
    const std::wstring stackle_stat = StatOf("stackle.exe");
    const double cpu_before = CpuMs(stackle_stat);
    const double burst_start = NowMs();
    std::vector<std::unique_ptr<Process>> programs;
    for (int p = 0; p < kPrograms; ++p) {
      programs.push_back(std::make_unique<Process>(
          ThisProgram(),
          L"--burst " + std::to_wstring(p) + L" " + std::to_wstring(kBurstWindows / kPrograms)));
    }
    const size_t expected = kBurstWindows / 10;
    WaitUntil([&] { return Matching().size() == expected; }, 60000);
    const bool all_pinned = WaitUntil(
        [&] {
          const auto matching = Matching();
          return std::all_of(matching.begin(), matching.end(), IsTopMost);
        },
        60000);
    const double burst_ms = NowMs() - burst_start;

    Rest(600);  // the list rebuilt once for all of them
    const double stackle_cpu = CpuMs(stackle_stat) - cpu_before;
    for (HWND window : Matching())
      SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const Process baseline(ThisProgram(), L"--baseline");
    baseline.WaitForExit();
    DWORD baseline_ms = 0;
    GetExitCodeProcess(baseline.handle(), &baseline_ms);
    const double baseline_cpu = baseline_ms;
    programs.clear();

    const Stats s = Summarize(shown), r = Summarize(retitled);
    std::printf("rules under Wine, %d trials: median (quartiles) minimum, maximum\n", trials);
    std::printf("  shown to pinned:         %.1f ms (%.1f-%.1f) %.1f, %.1f ms\n", s.median, s.p25,
                s.p75, s.min, *std::max_element(shown.begin(), shown.end()));
    std::printf("  retitled to pinned:      %.1f ms (%.1f-%.1f) %.1f, %.1f ms\n", r.median, r.p25,
                r.p75, r.min, *std::max_element(retitled.begin(), retitled.end()));
    std::printf(
        "  burst of %d windows, %d rules: %s in %.0f ms; Stackle's CPU %.0f ms, "
        "baseline %.0f ms, ratio %.2f\n",
        kBurstWindows, kRules, all_pinned ? "every match pinned" : "MATCHES MISSED", burst_ms,
        stackle_cpu, baseline_cpu, stackle_cpu / std::max(baseline_cpu, 1.0));
    FILE* out = _wfopen(argv[3], L"w");
    if (!out) return 1;
    std::fprintf(out, "{\n");
    Print(out, "shown_to_pinned_ms", s);
    std::fprintf(out, "  \"shown_to_pinned_max_ms\": %.3f,\n",
                 *std::max_element(shown.begin(), shown.end()));
    Print(out, "retitled_to_pinned_ms", r);
    std::fprintf(out,
                 "  \"burst\": {\"windows\": %d, \"rules\": %d, \"all_pinned\": %s, "
                 "\"stackle_cpu_ms\": %.1f, \"baseline_cpu_ms\": %.1f}\n}\n",
                 kBurstWindows, kRules, all_pinned ? "true" : "false", stackle_cpu, baseline_cpu);
    std::fclose(out);
    return all_pinned ? 0 : 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "rule bench: %s\n", e.what());
    return 1;
  }
}
