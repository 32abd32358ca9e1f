// The notification-area icon, the hotkey registrations and the command server, simulated:
// each records what the dialog did to it.
#pragma once

#include <algorithm>
#include <map>
#include <ranges>
#include <utility>
#include <vector>

#include "core/command_channel.h"
#include "core/hotkey_registrar.h"
#include "core/notify_icon.h"

namespace stackle::sim {

class SimNotifyIcon final : public NotifyIcon {
 public:
  static constexpr std::uint32_t kTaskbarCreated = 0xC123;
  bool added = false;
  bool shell_refuses = false;  // the shell is not ready for icons yet
  int adds = 0;
  std::vector<Text> balloons;  // title|text

  bool Add() override {
    if (shell_refuses) return false;
    ++adds;
    return added = true;
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

  void Accept() override { accepting = true; }
  std::uint64_t Now() override { return now; }
  bool SendOutput(WindowRef, const Text&) override { return takes_output; }
  void Answer(int code) override { answers.push_back(code); }
};

}  // namespace stackle::sim
