// The tooltip of each of the dialog's controls, in the order they are registered.
#pragma once

#include <array>

#include "res/resource.h"

namespace stackle {

struct Tooltip {
  int control;
  int text;  // string table identifier
};

inline constexpr std::array<Tooltip, 8> kTooltips{{
    {IDC_REFRESH, IDS_TIP_REFRESH},
    {IDC_BRING_TO_FRONT, IDS_TIP_BRING_TO_FRONT},
    {IDC_ALWAYS_ON_TOP, IDS_TIP_ALWAYS_ON_TOP},
    {IDC_SEND_TO_BOTTOM, IDS_TIP_SEND_TO_BOTTOM},
    {IDC_NOT_ALWAYS_ON_TOP, IDS_TIP_NOT_ALWAYS_ON_TOP},
    {IDC_SHOW_HIDE, IDS_TIP_SHOW_HIDE},
    {IDC_WINDOW_LIST, IDS_TIP_WINDOW_LIST},
    {IDC_EXIT, IDS_TIP_EXIT},
}};

}  // namespace stackle
