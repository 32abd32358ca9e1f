// Stackle on a simulated desktop, as most tests set it up: below its dialog an editor and a
// mail program, and a desktop window at the bottom that is never listed.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>

#include "app/layer_dialog.h"
#include "platform/sim/sim_dialog.h"
#include "platform/sim/sim_files.h"
#include "res/resource.h"

namespace stackle {

inline constexpr std::uint32_t kIdle = 0x40, kNormal = 0x20, kHigh = 0x80, kRealtime = 0x100;

// A menu's item identifiers in order; 0 is a separator.
inline std::vector<int> MenuIds(const Menu& menu) {
  std::vector<int> ids;
  for (const MenuItem& item : menu)
    ids.push_back(item.id);
  return ids;
}

inline std::vector<Text> Labels(const std::vector<ListedWindow>& listed) {
  std::vector<Text> labels;
  for (const ListedWindow& window : listed)
    labels.push_back(Label(window));
  return labels;
}

// One run of Stackle on a desk that outlives it.
struct StackleRun {
  StackleRun(sim::SimWindowSystem& windows, sim::SimFiles& files)
      : dialog(windows), layer(dialog.Ports(files)) {
    dialog.Open(layer);
  }
  sim::SimDialog dialog;
  CLayerDialog layer;
};

struct SimDesk {
  sim::SimWindowSystem windows;
  sim::SimDialog dialog{windows};
  sim::SimFiles files;
  CLayerDialog layer{dialog.Ports(files)};
  WindowOperations& operations = layer.Operations();
  ProcessId editor_process = windows.AddProcess();
  ProcessId mail_process = windows.AddProcess();
  WindowRef bottom = windows.AddWindow({.title = u"Desktop", .process = editor_process});
  WindowRef mail = windows.AddWindow({.title = u"Inbox - Mail", .process = mail_process});
  WindowRef editor = windows.AddWindow({.title = u"Notes - Editor", .process = editor_process});

  void Open() { dialog.Open(layer); }
  const std::vector<Text>& Labels() const { return dialog.list.labels; }
  std::optional<std::size_t> IndexOf(WindowRef window) const {
    const auto& listed = operations.Listed();
    const auto at = std::ranges::find(listed, window, &ListedWindow::window);
    if (at == listed.end()) return std::nullopt;
    return static_cast<std::size_t>(at - listed.begin());
  }
  // Selects the window's entry as the user would.
  void Select(WindowRef window) {
    if (const auto i = IndexOf(window)) return dialog.UserSelects(*i);
    ADD_FAILURE() << "not listed";
  }
  void Command(int id) { dialog.Send(CommandMessage(id)); }
  // A right click on a row of the list, choosing `choice` from the menu if one opens.
  void RightClickRow(std::size_t row, std::optional<int> choice = std::nullopt) {
    dialog.choose_from_menu = [choice](const Menu&) { return choice; };
    windows.cursor = Point{40, static_cast<std::int32_t>(row) * sim::SimListView::kRowHeight};
    dialog.Send({kWmContextMenu, dialog.list.Control(), 0});
  }
  void RightClick(WindowRef window, std::optional<int> choice) {
    RightClickRow(IndexOf(window).value_or(999), choice);
  }
  // The mail window hidden by Stackle (at idle, marked) or in view again (at normal, unmarked).
  void ExpectMailHidden(bool hidden) {
    EXPECT_EQ(windows.IsVisible(mail), !hidden);
    EXPECT_EQ(windows.PriorityOf(mail_process), hidden ? kIdle : kNormal);
    EXPECT_EQ(windows.MarkOf(mail, WindowMark::kHidden) != 0, hidden);
  }
};

}  // namespace stackle
