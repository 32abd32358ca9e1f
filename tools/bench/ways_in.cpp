#include "ways_in.h"

#include <functional>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "res/resource.h"

namespace stackle::bench {
namespace {

using namespace harness;

constexpr DWORD kChangeTimeout = 3000;  // ms; a key press Wine lost never comes
constexpr int kLostPressesAllowed = 5;

bool IsPinned(HWND window) {
  return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// The index of the entry that reads `label` in Stackle's list; negative when there is none.
LRESULT FindEntry(HWND dialog, const std::wstring& label) {
  return Send(GetDlgItem(dialog, IDC_WINDOW_LIST), LB_FINDSTRINGEXACT, WPARAM(-1),
              LPARAM(label.c_str()))
      .value_or(LB_ERR);
}

// The target out of the always-on-top band again, and Stackle's list rebuilt to show it so.
void Unpin(const WaysInSetup& setup) {
  SetWindowPos(setup.target, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Send(setup.dialog, WM_COMMAND, IDC_REFRESH);
  if (IsPinned(setup.target) || FindEntry(setup.dialog, setup.title) < 0)
    throw std::runtime_error("the benchmark's target window could not be unpinned");
}

// `act`, then the milliseconds until the target is pinned and until Stackle's list shows it
// pinned; nothing when it was not pinned in time.
std::optional<std::pair<double, double>> TimePin(const WaysInSetup& setup,
                                                 const std::function<void()>& act) {
  const double start = NowMs();
  act();
  if (!WaitUntil([&] { return IsPinned(setup.target); }, kChangeTimeout, 1)) return std::nullopt;
  const double changed = NowMs() - start;
  const std::wstring pinned = L"(TopMost):" + setup.title;
  if (!WaitUntil([&] { return FindEntry(setup.dialog, pinned) >= 0; }, kTimeout, 1))
    throw std::runtime_error("Stackle's list did not show the window pinned");
  return std::pair(changed, NowMs() - start);
}

// The hotkey that pins the active window, pressed on the target; against a click on 常に手前に(M)
// with the target's entry selected. Alternating, in turns first, as the refresh is measured.
void MeasureHotkeyAndClick(const WaysInSetup& setup, WaysIn& ways) {
  std::vector<double> hotkey_change, click_change, hotkey_list, click_list;
  int lost = 0;
  for (int t = 0; t < 2 * setup.trials;) {
    Unpin(setup);
    const bool by_key = (t + t / 2) % 2 == 0;
    if (by_key) {
      WaitUntil([&] {
        return GetForegroundWindow() == setup.target || (SetForegroundWindow(setup.target), false);
      });
    } else if (!SelectEntry(setup.dialog, FindEntry(setup.dialog, setup.title))) {
      throw std::runtime_error("the target's entry could not be selected");
    }
    Settle(setup.dialog);
    const auto press = [] { Press({VK_CONTROL, VK_SHIFT, VK_F11}); };
    const auto click = [&] {
      PostMessageW(GetDlgItem(setup.dialog, IDC_ALWAYS_ON_TOP), BM_CLICK, 0, 0);
    };
    const auto times = by_key ? TimePin(setup, press) : TimePin(setup, click);
    // Wine can drop a session's first key press; that trial is made again.
    if (!times) {
      if (!by_key || ++lost > kLostPressesAllowed)
        throw std::runtime_error(by_key ? "the hotkey did not pin the active window"
                                        : "the click did not pin the selected window");
      continue;
    }
    (by_key ? hotkey_change : click_change).push_back(times->first);
    (by_key ? hotkey_list : click_list).push_back(times->second);
    ++t;
  }
  ways.hotkey_to_change = Summarize(hotkey_change);
  ways.click_to_change = Summarize(click_change);
  ways.hotkey_to_list = Summarize(hotkey_list);
  ways.click_to_list = Summarize(click_list);
}

// Milliseconds from the start of `program` until its end; throws unless it ended with 0.
double TimeCommand(const std::wstring& program, const std::wstring& arguments,
                   const std::wstring& work_dir) {
  const double start = NowMs();
  const Finished finished = RunToEnd(program, arguments, work_dir.c_str());
  const double elapsed = NowMs() - start;
  if (finished.code != 0) {
    throw std::runtime_error("a command ended with code " + std::to_string(finished.code) + ": " +
                             finished.output);
  }
  return elapsed;
}

// stackle.exe /list and /top TEXT, and the minimal command program, in turn, each first in turn.
void MeasureCommands(const WaysInSetup& setup, WaysIn& ways) {
  std::vector<double> samples[3];
  for (int t = 0; t < 3 * setup.trials; ++t) {
    const int kind = (t + t / 3) % 3;
    if (kind == 1) Unpin(setup);
    Settle(setup.dialog);
    samples[kind].push_back(
        kind == 0   ? TimeCommand(setup.stackle, L"/list", setup.work_dir)
        : kind == 1 ? TimeCommand(setup.stackle, L"/top \"" + setup.title + L"\"", setup.work_dir)
                    : TimeCommand(setup.minimal_command, L"", setup.work_dir));
  }
  ways.list_command = Summarize(samples[0]);
  ways.top_command = Summarize(samples[1]);
  ways.minimal_command = Summarize(samples[2]);
}

}  // namespace

WaysIn MeasureWaysIn(const WaysInSetup& setup) {
  WaysIn ways;
  MeasureHotkeyAndClick(setup, ways);
  MeasureCommands(setup, ways);
  Unpin(setup);
  return ways;
}

}  // namespace stackle::bench
