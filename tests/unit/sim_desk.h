// Stackle on a simulated desktop, as most tests set it up.
#pragma once

#include <gtest/gtest.h>

#include "app/layer_dialog.h"
#include "platform/sim/sim_dialog.h"
#include "platform/sim/sim_files.h"

namespace stackle {

struct SimDesk {
  sim::SimWindowSystem windows;
  sim::SimDialog dialog{windows};
  sim::SimFiles files;
  CLayerDialog layer{windows, dialog, files};

  std::vector<Text> Labels() const {
    std::vector<Text> labels;
    for (const auto& e : dialog.Entries())
      labels.push_back(e.label);
    return labels;
  }
  // Selects the window's entry as the user would.
  void Select(WindowRef window) {
    for (std::size_t i = 0; i < dialog.Entries().size(); ++i) {
      if (dialog.Entries()[i].window == window) return dialog.UserSelects(i);
    }
    ADD_FAILURE() << "not listed";
  }
  void Command(int id) { dialog.Send(CommandMessage(id)); }
};

}  // namespace stackle
