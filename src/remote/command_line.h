// The command line of a command process: the switch and its TEXT, the usage, and the line that
// says why a command did not succeed.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "catalogue/window_list.h"
#include "core/command.h"

namespace stackle {

// The longest TEXT: as long as a command line can be.
inline constexpr std::size_t kMaxCommandText = 32767;

struct ParsedCommandLine {
  Command command;
  Text error;  // why the arguments are refused; empty when they are not
};

// The arguments after the program's name. A switch starts with "/" or "-", in any case; the
// verbs that act on a window take exactly one TEXT, the others none.
ParsedCommandLine ParseCommandLine(const std::vector<Text>& arguments);
// Whether a verb acts on a window named by TEXT.
bool TakesText(CommandVerb verb);
// Whether a verb takes an opacity before its TEXT (/opacity NN TEXT).
bool TakesPercent(CommandVerb verb);
// Whether the running copy carries the verb out (every switch but /?).
bool IsCarriedOut(CommandVerb verb);

// The usage, for /? and after a refused command line.
extern const char16_t kUsage[];
// One line saying why a command did not succeed; empty for kExitDone.
Text ExplainExitCode(int code, const Command& command);

// Whether a command names `listed`: its title contains TEXT as nolist.txt matches, and it is
// among the hidden ones for /show, among the others for every other verb.
bool NamesWindow(const Command& command, const ListedWindow& listed);
// The listed window a command acts on: the first it names, top of the Z-order first. Nothing
// when it names none.
std::optional<std::size_t> FindCommandTarget(const std::vector<ListedWindow>& listed,
                                             const Command& command);

}  // namespace stackle
