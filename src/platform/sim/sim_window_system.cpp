#include "platform/sim/sim_window_system.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace stackle::sim {

SimWindowSystem::SimWindowSystem() {
  own_process_ = AddProcess(false, u"stackle.exe");
}

ProcessId SimWindowSystem::AddProcess(bool refuses_open, const Text& program) {
  const ProcessId id = next_process_ += 4;
  processes_[id].refuses_open = refuses_open;
  const std::string number = std::to_string(id);
  processes_[id].path =
      u"C:\\Programs\\" +
      (program.empty() ? u"program" + Text(number.begin(), number.end()) + u".exe" : program);
  return id;
}

WindowRef SimWindowSystem::AddWindow(WindowSpec spec) {
  if (!processes_.contains(spec.process)) throw std::invalid_argument("unknown process");
  const WindowRef handle = next_handle_ += 0x10;
  z_order_.insert(z_order_.begin() + TopOfBand(spec.topmost), handle);
  const bool others = spec.process != own_process_;
  appearances += others && spec.visible;
  windows_[handle] = SimWindow{std::move(spec), handle, {}, kNoWindow};
  if (others && announce) announce(handle);
  return handle;
}

WindowRef SimWindowSystem::AddChild(WindowRef parent, Rect rect, ProcessId process) {
  const WindowRef handle = next_handle_ += 0x10;
  WindowSpec spec;
  spec.process = process ? process : Get(parent).process;
  spec.rect = rect;
  windows_[handle] = SimWindow{std::move(spec), handle, {}, parent};
  return handle;
}

std::vector<WindowRef> SimWindowSystem::Children(WindowRef window) {
  std::vector<WindowRef> children;
  if (window == kNoWindow) return children;
  for (const auto& [handle, w] : windows_) {
    if (w.parent == window) children.push_back(handle);
  }
  return children;
}

void SimWindowSystem::DestroyWindow(WindowRef window) {
  // Owned windows and children go with their window.
  std::vector<WindowRef> owned;
  for (const auto& [handle, w] : windows_) {
    if (w.owner == window || w.parent == window) owned.push_back(handle);
  }
  for (WindowRef handle : owned)
    DestroyWindow(handle);
  const bool announced =
      Find(window) && !Find(window)->parent && Find(window)->process != own_process_ && announce;
  windows_.erase(window);
  std::erase(z_order_, window);
  if (foreground_ == window) foreground_ = kNoWindow;
  if (announced) announce(window);
}

void SimWindowSystem::ForcePriority(ProcessId process, std::uint32_t priority) {
  processes_.at(process).priority = priority;
}

std::ptrdiff_t SimWindowSystem::IndexOf(WindowRef window) const {
  auto it = std::find(z_order_.begin(), z_order_.end(), window);
  return it == z_order_.end() ? -1 : it - z_order_.begin();
}

std::size_t SimWindowSystem::TopOfBand(bool topmost) const {
  if (topmost) return 0;
  std::size_t index = 0;
  while (index < z_order_.size() && windows_.at(z_order_[index]).topmost)
    ++index;
  return index;
}

void SimWindowSystem::MoveTo(WindowRef window, std::size_t index) {
  std::erase(z_order_, window);
  z_order_.insert(z_order_.begin() + std::min(index, z_order_.size()), window);
}

WindowRef SimWindowSystem::BottomWindow(WindowRef any) {
  if (!Find(any) || z_order_.empty()) return kNoWindow;
  return z_order_.back();
}

void SimWindowSystem::VisitTopLevelWindows(const std::function<bool(WindowRef)>& visit) {
  const std::vector<WindowRef> listing = z_order_;
  if (after_listing) after_listing();
  for (WindowRef w : listing) {
    if (!visit(w)) return;
  }
}

bool SimWindowSystem::Place(WindowRef window, InsertAfter where, bool activate) {
  SimWindow* w = Find(window);
  if (!w || w->refuses) return false;
  if (w->busy) {
    Defer(window, [=, this](SimWindow& later) { PlaceNow(later, where, activate); });
    return true;
  }
  return PlaceNow(*w, where, activate);
}

void SimWindowSystem::Defer(WindowRef window, std::function<void(SimWindow&)> change) {
  deferred_ = true;
  pending_.push_back([=, this] {
    if (SimWindow* later = Find(window)) change(*later);
  });
}

bool SimWindowSystem::PlaceNow(SimWindow& w, InsertAfter where, bool activate) {
  const WindowRef window = w.handle;
  switch (where) {
    case InsertAfter::kTop:
      MoveTo(window, TopOfBand(w.topmost));
      break;
    case InsertAfter::kTopMost:
      w.topmost = true;
      MoveTo(window, 0);
      break;
    case InsertAfter::kNoTopMost:
      // Has no effect on a window that is not always-on-top.
      if (w.topmost) {
        w.topmost = false;
        std::erase(z_order_, window);
        MoveTo(window, TopOfBand(false));
      }
      break;
    case InsertAfter::kBottom:
      // The bottom of the Z-order lies outside the always-on-top band.
      w.topmost = false;
      MoveTo(window, z_order_.size());
      break;
  }
  if (activate) foreground_ = window;
  return true;
}

bool SimWindowSystem::Show(WindowRef window, ShowCommand command) {
  SimWindow* w = Find(window);
  if (!w || w->refuses) return false;
  if (w->busy) {
    // Never hidden later: the window would escape the hidden register.
    if (command == ShowCommand::kHide) return false;
    Defer(window, [=, this](SimWindow& later) { ShowNow(later, command); });
    return true;
  }
  ShowNow(*w, command);
  return true;
}

void SimWindowSystem::ShowNow(SimWindow& w, ShowCommand command) {
  const WindowRef window = w.handle;
  const bool was_visible = w.visible;
  w.visible = command != ShowCommand::kHide;
  if (w.visible != was_visible && w.process != own_process_) {
    appearances += w.visible;
    if (announce) announce(window);
  }
  if (command == ShowCommand::kMinimize) w.minimized = true;
  // Restoring and maximizing activate the window; a minimized one keeps its maximized state.
  if (command == ShowCommand::kShowNormal || command == ShowCommand::kMaximize) {
    w.minimized = false;
    w.maximized = command == ShowCommand::kMaximize;
    foreground_ = window;
  }
  if (while_waiting && w.process != own_process_) while_waiting(window);
}

void SimWindowSystem::CatchUp() {
  for (const auto& change : std::exchange(pending_, {}))
    change();
}

void SimWindowSystem::RequestClose(WindowRef window, const std::function<bool()>&) {
  SimWindow* w = Find(window);
  if (!w) return;
  if (while_waiting) while_waiting(window);
  if (w->closes) DestroyWindow(window);
}

namespace {
bool Contains(const Rect& r, Point p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}
bool Intersects(const Rect& a, const Rect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}
}  // namespace

WindowRef SimWindowSystem::WindowAt(Point screen) {
  for (WindowRef top : z_order_) {
    const SimWindow& w = windows_.at(top);
    if (w.visible && !w.minimized && Contains(w.rect, screen)) return DeepestChildAt(top, screen);
  }
  return kNoWindow;
}

WindowRef SimWindowSystem::DeepestChildAt(WindowRef parent, Point screen) const {
  for (const auto& [handle, child] : windows_) {
    if (child.parent == parent && Contains(child.rect, screen))
      return DeepestChildAt(handle, screen);
  }
  return parent;
}

void SimWindowSystem::MoveWindow(WindowRef window, const Rect& rect) {
  SimWindow* w = Find(window);
  if (!w) return;
  w->rect = rect;
  if (after_move) after_move(window);
}

bool SimWindowSystem::AnyMonitorShows(const Rect& rect) {
  return std::any_of(monitors.begin(), monitors.end(),
                     [&](const auto& m) { return Intersects(m.first, rect); });
}

Rect SimWindowSystem::NearestWorkArea(const Rect& rect) {
  // Nearest by the distance between centres.
  const auto distance = [&](const Rect& m) {
    const double dx = (double{1.0} * m.left + m.right) - (double{1.0} * rect.left + rect.right);
    const double dy = (double{1.0} * m.top + m.bottom) - (double{1.0} * rect.top + rect.bottom);
    return dx * dx + dy * dy;
  };
  const auto nearest = std::min_element(monitors.begin(), monitors.end(), [&](auto& a, auto& b) {
    return distance(a.first) < distance(b.first);
  });
  return nearest->second;
}

void SimWindowSystem::SetProcessPriority(ProcessId process, PriorityClass priority) {
  auto it = processes_.find(process);
  if (it == processes_.end() || it->second.refuses_open) return;
  it->second.priority = static_cast<std::uint32_t>(priority);
}

std::optional<std::uint32_t> SimWindowSystem::ProcessPriority(ProcessId process) {
  auto it = processes_.find(process);
  if (it == processes_.end() || it->second.refuses_open) return std::nullopt;
  return it->second.priority;
}

}  // namespace stackle::sim
