#include "ui/window_menu.h"

#include <string>
#include <utility>

namespace stackle {

Menu BuildWindowMenu(const WindowMenuState& state) {
  Menu menu;
  if (state.minimized || state.maximized)
    menu.push_back({IDM_WINDOW_RESTORE, u"元のサイズに戻す(&R)"});
  if (!state.minimized) menu.push_back({IDM_WINDOW_MINIMIZE, u"最小化(&N)"});
  if (!state.maximized) menu.push_back({IDM_WINDOW_MAXIMIZE, u"最大化(&X)"});
  menu.push_back(Separator());
  if (!state.keeps_priority) {
    // The class the process already has is left out.
    const struct {
      PriorityClass priority;
      int id;
      const char16_t* text;
    } priorities[] = {
        {PriorityClass::kRealtime, IDM_PRIORITY_REALTIME, u"優先度 最高(&T)"},
        {PriorityClass::kHigh, IDM_PRIORITY_HIGH, u"優先度 高(&H)"},
        {PriorityClass::kNormal, IDM_PRIORITY_NORMAL, u"優先度 普通(&B)"},
        {PriorityClass::kIdle, IDM_PRIORITY_IDLE, u"優先度 低(&L)"},
    };
    for (const auto& p : priorities) {
      if (state.priority != static_cast<std::uint32_t>(p.priority)) menu.push_back({p.id, p.text});
    }
    // A class a rule may keep: never realtime.
    const bool rememberable =
        state.priority == static_cast<std::uint32_t>(PriorityClass::kIdle) ||
        state.priority == static_cast<std::uint32_t>(PriorityClass::kNormal) ||
        state.priority == static_cast<std::uint32_t>(PriorityClass::kHigh);
    if (state.program_known && (rememberable || state.priority_remembered)) {
      menu.push_back(
          {IDM_REMEMBER_PRIORITY, u"このプログラムの優先度を記憶(&P)", state.priority_remembered});
    }
    menu.push_back(Separator());
    if (state.program_known) {
      menu.push_back({IDM_PIN_PROGRAM, u"このプログラムを常に手前に(&A)", state.program_pinned});
      menu.push_back(Separator());
    }
  }
  if (state.opacity) {
    MenuItem steps{.text = u"不透明度(&O)"};
    for (int id = IDM_OPACITY_LAST; id >= IDM_OPACITY_FIRST; --id) {
      const int percent = 20 + 10 * (id - IDM_OPACITY_FIRST);
      const std::string text = std::to_string(percent) + "%";
      steps.submenu.push_back({id, Text(text.begin(), text.end()), percent == *state.opacity});
    }
    menu.push_back(std::move(steps));
    menu.push_back(Separator());
  }
  menu.push_back({IDM_WINDOW_CLOSE, u"閉じる(&C)"});
  return menu;
}

}  // namespace stackle
