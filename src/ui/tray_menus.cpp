#include "ui/tray_menus.h"

namespace stackle {

Menu BuildTrayWindowMenu(const std::vector<Text>& labels) {
  // Outside the routed range, and within the 16 bits a menu command carries.
  constexpr int kInertId = kIdLastListedWindow + 1;
  Menu menu;
  menu.reserve(labels.size());
  for (std::size_t i = 0; i < labels.size(); ++i) {
    const std::size_t id = kIdFirstListedWindow + i;
    menu.push_back({id <= kIdLastListedWindow ? static_cast<int>(id) : kInertId, labels[i]});
  }
  return menu;
}

Menu BuildTrayToolMenu(bool dialog_visible) {
  return {
      dialog_visible ? MenuItem{kIdHideDialog, u"最小化(&N)"}
                     : MenuItem{kIdRestoreDialog, u"元のサイズに戻す(&R)"},
      Separator(),
      {kIdHelp, u"ヘルプ(&H)..."},
      {kIdTrayAbout, u"バージョン情報(&A)..."},
      {kIdTrayHotkeys, u"ホットキーの設定(&K)..."},
      Separator(),
      {kIdTrayExit, u"終了(&X)..."},
  };
}

Menu BuildSystemMenuAdditions(const Text& about_text, int about_id, int hotkeys_id) {
  if (about_text.empty()) return {};
  return {Separator(),
          {kIdHelp, u"ﾍﾙﾌﾟ(&H)"},
          {about_id, about_text},
          {hotkeys_id, u"ﾎｯﾄｷｰの設定(&K)..."}};
}

}  // namespace stackle
