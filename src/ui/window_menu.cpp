#include "ui/window_menu.h"

namespace stackle {

Menu BuildWindowMenu(const WindowMenuState& state) {
  Menu menu;
  if (state.minimized || state.maximized)
    menu.push_back({kIdWindowRestore, u"元のサイズに戻す(&R)"});
  if (!state.minimized) menu.push_back({kIdWindowMinimize, u"最小化(&N)"});
  if (!state.maximized) menu.push_back({kIdWindowMaximize, u"最大化(&X)"});
  menu.push_back(Separator());
  if (!state.folder) {
    // The class the process already has is left out.
    const struct {
      PriorityClass priority;
      int id;
      const char16_t* text;
    } priorities[] = {
        {PriorityClass::kRealtime, kIdPriorityRealtime, u"優先度 最高(&T)"},
        {PriorityClass::kHigh, kIdPriorityHigh, u"優先度 高(&H)"},
        {PriorityClass::kNormal, kIdPriorityNormal, u"優先度 普通(&B)"},
        {PriorityClass::kIdle, kIdPriorityIdle, u"優先度 低(&L)"},
    };
    for (const auto& p : priorities) {
      if (state.priority != static_cast<std::uint32_t>(p.priority)) menu.push_back({p.id, p.text});
    }
    menu.push_back(Separator());
  }
  menu.push_back({kIdWindowClose, u"閉じる(&C)"});
  return menu;
}

}  // namespace stackle
