#include "ui/tray_menus.h"

namespace stackle {

Menu BuildTrayWindowMenu(const std::vector<Text>& labels) {
  // Outside the routed range, and within the 16 bits a menu command carries.
  constexpr int kInertId = IDM_LAST_LISTED_WINDOW + 1;
  Menu menu;
  menu.reserve(labels.size());
  for (std::size_t i = 0; i < labels.size(); ++i) {
    const std::size_t id = IDM_FIRST_LISTED_WINDOW + i;
    menu.push_back({id <= IDM_LAST_LISTED_WINDOW ? static_cast<int>(id) : kInertId, labels[i]});
  }
  return menu;
}

Menu BuildTrayToolMenu(bool dialog_visible) {
  return {
      dialog_visible ? MenuItem{IDM_HIDE_DIALOG, u"最小化(&N)"}
                     : MenuItem{IDM_RESTORE_DIALOG, u"元のサイズに戻す(&R)"},
      Separator(),
      {IDM_HELP, u"ヘルプ(&H)..."},
      {IDM_TRAY_ABOUT, u"バージョン情報(&A)..."},
      {IDM_TRAY_HOTKEYS, u"ホットキーの設定(&K)..."},
      {IDM_TRAY_RELOAD_RULES, u"ルールを読み直す(&L)"},
      {IDM_TRAY_OPAQUE, u"すべて不透明に戻す(&O)"},
      Separator(),
      {IDM_TRAY_EXIT, u"終了(&X)..."},
  };
}

Menu BuildSystemMenuAdditions(const Text& about_text, int about_id, int hotkeys_id) {
  if (about_text.empty()) return {};
  return {Separator(),
          {IDM_HELP, u"ﾍﾙﾌﾟ(&H)"},
          {about_id, about_text},
          {hotkeys_id, u"ﾎｯﾄｷｰの設定(&K)..."}};
}

}  // namespace stackle
