// The model of the listed windows, and the operations every way in calls on one of them: the
// buttons and menus with the selected window, the icon's menu, the hotkeys with the active
// window, the command line with the window its TEXT names.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "catalogue/exclusion_list.h"
#include "catalogue/hidden_register.h"
#include "catalogue/opacity_register.h"
#include "catalogue/window_list.h"
#include "core/command.h"
#include "core/dialog_surface.h"
#include "core/file_store.h"
#include "core/list_view.h"

namespace stackle {

inline constexpr char16_t kDialogCaption[] = u"Stackle";

// Where a request to act on a window came from. Asked in the dialog, Stackle takes the
// foreground and the keyboard focus back after it; asked by a hotkey or a script, the window
// the user works in keeps them. A script's list is rebuilt once its command process has the
// answer (ShowScriptOutcome). A rule acts unseen: it activates nothing, and leaves the list to
// be rebuilt once for all it did.
enum class Origin { kDialog, kHotkey, kScript, kRule };

// The list is rebuilt once more this long after a change a busy program makes later.
inline constexpr std::uint32_t kLookAgainTimer = 5, kLookAgainInterval = 500;

// What rules add to each rebuild of the list.
class RebuildObserver {
 public:
  virtual ~RebuildObserver() = default;
  // Sees the rebuilt model (the hidden windows at its end) before the priority policy is
  // applied; gives the programs whose class a rule sets.
  virtual FixedPriorities OnListed(const std::vector<ListedWindow>& listed) = 0;
};

class WindowOperations {
 public:
  WindowOperations(WindowSystem& windows, DialogSurface& dialog, ListView& list);

  // Rebuilds the model from the Z-order, applies the priority policy, appends the windows
  // Stackle has hidden, and shows the labels in the list; the caption says "Stackle" again.
  void RefreshWindowList();
  void OnLookAgainTick();
  // Reads nolist.txt again; keeps the old entries when it cannot be read.
  void LoadExclusionList(FileStore& files);
  const std::vector<ListedWindow>& Listed() const { return listed_; }
  const HiddenRegister& Hidden() const { return hidden_; }
  // Take in `w` when a previous run hid it, or made it translucent, and could not put it back.
  void AdoptIfHidden(WindowRef w) { hidden_.AdoptIfMarked(w); }
  void AdoptIfTranslucent(WindowRef w) { opacity_.AdoptIfMarked(w); }
  void SetRebuildObserver(RebuildObserver* observer) { observer_ = observer; }
  const ExclusionList& Exclusions() const { return exclusions_; }
  // The window of list entry `index`, or of the selected one; kNoWindow when there is none.
  WindowRef ListedAt(std::optional<std::size_t> index) const;
  WindowRef SelectedWindow() { return ListedAt(list_.Selection()); }
  // Whether a hotkey or a command may act on `window`: one the list shows (wherever it stands
  // in the Z-order) and not one of Stackle's own.
  bool MayActOn(WindowRef window);
  bool IsStacklesOwn(WindowRef window);
  // The window a command names in the list a rebuild would give now, found without one: each
  // operation rebuilds the list once it has acted. kNoWindow when it names none.
  WindowRef CommandTarget(const Command& command);

  // Each operation does nothing at all for kNoWindow, and gives false when the window's
  // program refused (run as administrator, or not responding); the caption then says so.
  // A window placed by hand is no longer on top by a rule.
  bool PlaceWindow(WindowRef window, InsertAfter where, Origin origin);
  // Its program at normal priority first: at the bottom it is no longer listed, so no refresh
  // sets it.
  bool SendWindowToBottom(WindowRef window, Origin origin);
  // Hides a visible window into the hidden register, or shows a hidden one again.
  bool ToggleHidden(WindowRef window, Origin origin);
  // The icon's window menu: as ToggleHidden, except that the window is registered (and its
  // program held at idle) also when it was shown, and a window gone since is left alone.
  void ToggleListedWindow(std::size_t index);
  bool ShowWindowAs(WindowRef window, ShowCommand command, Origin origin);
  // Minimizes the window, or restores a minimized one to its normal size.
  bool ToggleMinimized(WindowRef window, Origin origin);
  // Asks the window to close and waits while its program asks its user, with Stackle out of
  // the always-on-top band meanwhile, also through the commands it carries out meanwhile.
  void CloseWindow(WindowRef window, Origin origin);
  // Until the next rebuild of the list, which applies the priority policy again.
  void SetProgramPriority(WindowRef window, PriorityClass priority);
  // Whether Stackle may open the window's program to read and set its priority; true for a
  // window that stands for none, false for one that is gone.
  bool MayChangeProgram(WindowRef window);
  // Shows every window Stackle hid, at normal priority, as at exit; Stackle keeps running.
  void ShowAllHidden(Origin origin);
  void RestoreHiddenWindows() { hidden_.RestoreAll(); }
  // A window's opacity, from kMinOpacity to kOpaque, or `steps` of kOpacityStep from what it
  // has; never for the shell's windows nor for Stackle's own. At kOpaque the window is as it
  // was before. A refusal is said as the other commands' are.
  OpacityRegister::Result SetWindowOpacity(WindowRef window, int percent, Origin origin);
  OpacityRegister::Result StepWindowOpacity(WindowRef window, int steps, Origin origin);
  // The opacity Stackle gave a window, for the caption; nothing for one it did not change.
  std::optional<int> OpacityShown(WindowRef window) const { return opacity_.ChangedTo(window); }
  // What the per-window menu checks; nothing for a window whose opacity cannot change.
  std::optional<int> OpacityOffered(WindowRef window);
  // Every window Stackle made translucent back as it was: at exit, and on すべて不透明に戻す.
  void MakeAllOpaque() { opacity_.RestoreAll(); }
  void PlaceOwnWindow(InsertAfter where, Origin origin);
  // What the script's commands did, shown as any other command's: the dialog back on top, the
  // list rebuilt, the caption saying a refusal. Called once the command process has its answer,
  // which the rebuild would delay, and with it the script's next command.
  void ShowScriptOutcome();

 private:
  enum class Refresh { kFull, kShort };
  struct Outcome {
    Refresh form;
    bool done;
  };

  // Registers a window just hidden (or shown) with its title, its program at idle priority.
  void RegisterHidden(WindowRef window);
  // The shell's windows and Stackle's own, whose opacity never changes.
  bool KeepsItsOpacity(WindowRef window);
  // The common end of a command: the dialog back on top (full form only), the list rebuilt,
  // the focus back on the dialog when it asked; the caption says why when `done` is false.
  // Gives `done`. A script's is kept for ShowScriptOutcome.
  bool FinishCommand(Refresh form, Origin origin, bool done = true);
  void ShowOutcome(Refresh form, Origin origin, bool done);

  WindowSystem& windows_;
  DialogSurface& dialog_;
  ListView& list_;
  ExclusionList exclusions_;
  HiddenRegister hidden_;
  OpacityRegister opacity_;
  std::vector<ListedWindow> listed_;
  RebuildObserver* observer_ = nullptr;
  // Close requests whose program may still ask its user, one inside another.
  int close_waits_ = 0;
  std::optional<Outcome> script_outcome_;
};

}  // namespace stackle
