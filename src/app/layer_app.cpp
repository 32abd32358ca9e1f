#include "app/layer_app.h"

namespace stackle {

bool CLayerApp::InitInstance() {
  // A second copy ends silently: no window, no tray icon, no message, the first one untouched.
  if (!platform_.guard.Claim()) return false;
  CLayerDialog dialog(platform_.windows, platform_.dialog, platform_.files);
  platform_.dialog.RunModal(dialog);
  return false;
}

}  // namespace stackle
