// The notification-area icon, the hotkey registrations and the command server, simulated:
// each records what the dialog did to it.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <ranges>
#include <utility>
#include <vector>

#include "core/command_channel.h"
#include "core/hotkey_registrar.h"
#include "core/messages.h"
#include "core/notify_icon.h"
#include "core/window_events.h"
#include "platform/sim/sim_window_system.h"
#include "res/resource.h"

namespace stackle::sim {

class SimNotifyIcon final : public NotifyIcon {
 public:
  static constexpr std::uint32_t kTaskbarCreated = 0xC123;
  bool added = false;
  bool shell_refuses = false;  // the shell is not ready for icons yet
  int adds = 0;
  std::vector<Text> balloons;  // title|text

  // The shell refuses a second add of an icon it holds.
  bool Add() override {
    if (shell_refuses || added) return false;
    ++adds;
    return added = true;
  }
  bool Replace() override {
    added = false;
    return Add();
  }
  void Remove() override { added = false; }
  void ShowBalloon(const Text& title, const Text& text) override {
    balloons.push_back(title + u"|" + text);
  }
  std::uint32_t TaskbarCreatedMessage() override { return kTaskbarCreated; }
};

class SimHotkeyRegistrar final : public HotkeyRegistrar {
 public:
  std::map<int, Hotkey> registered;  // by identifier
  std::vector<Hotkey> held_by_others;

  bool Register(int id, Hotkey key) override {
    const bool held =
        std::ranges::find(held_by_others, key) != held_by_others.end() ||
        std::ranges::any_of(registered, [&](auto& entry) { return entry.second == key; });
    if (!held) registered[id] = key;
    return !held;
  }
  void Unregister(int id) override { registered.erase(id); }
};

class SimCommandServer final : public CommandServer {
 public:
  bool accepting = false;
  std::uint64_t now = 1000;
  bool takes_output = true;  // false: Windows keeps the output from the command process
  std::vector<int> answers;  // their codes
  std::function<void()> on_answer;

  void Accept() override { accepting = true; }
  std::uint64_t Now() override { return now; }
  bool SendOutput(WindowRef, const Text&) override { return takes_output; }
  void Answer(int code) override {
    answers.push_back(code);
    if (on_answer) on_answer();
  }
};

// The window-event hook: every window the simulated desktop announces is queued, and the dialog
// is posted one WM_WINDOWEVENTS until the queue is taken.
class SimWindowEvents final : public WindowEvents {
 public:
  SimWindowEvents(SimWindowSystem& windows, std::function<void(const Message&)> post)
      : windows_(windows), post_(std::move(post)) {}

  bool listening = false;

  void Listen(bool on) override {
    listening = on;
    windows_.announce =
        on ? std::function<void(WindowRef)>([this](WindowRef w) { Queue(w); }) : nullptr;
  }
  std::vector<WindowRef> TakeAnnounced() override {
    posted_ = false;
    return std::exchange(queue_, {});
  }

 private:
  void Queue(WindowRef window) {
    if (std::ranges::find(queue_, window) == queue_.end()) queue_.push_back(window);
    if (!std::exchange(posted_, true)) post_({WM_WINDOWEVENTS, 0, 0});
  }

  SimWindowSystem& windows_;
  std::function<void(const Message&)> post_;
  std::vector<WindowRef> queue_;
  bool posted_ = false;
};

}  // namespace stackle::sim
