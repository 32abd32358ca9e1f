#include "app/layer_app.h"

#include "remote/command_line.h"

namespace stackle {
namespace {

int HandOver(const Command& command, CommandLink& link, Console& console) {
  auto answer = link.Send(command);
  if (!answer) {
    // With no copy running there is nothing to end, and no list to print.
    if (command.verb == CommandVerb::kExit) return kExitDone;
    if (command.verb == CommandVerb::kList || !link.StartCopy()) {
      answer = CommandAnswer{};
    } else {
      answer = link.Send(command).value_or(CommandAnswer{});
    }
  }
  const Text why = ExplainExitCode(answer->code, command);
  console.Write(answer->output + (why.empty() ? why : why + u"\r\n"));
  return answer->code;
}

}  // namespace

int RunCommandLine(const std::vector<Text>& arguments, CommandLink& link, Console& console) {
  const ParsedCommandLine parsed = ParseCommandLine(arguments);
  if (!parsed.error.empty()) {
    console.Write(parsed.error + u"\r\n" + kUsage);
    return kExitBadArguments;
  }
  if (parsed.command.verb == CommandVerb::kHelp) {
    console.Write(kUsage);
    return kExitDone;
  }
  return HandOver(parsed.command, link, console);
}

bool CLayerApp::InitInstance() {
  // A second copy ends silently: no window, no tray icon, no message, the first one untouched.
  if (!platform_.guard.Claim()) return false;
  CLayerDialog dialog(platform_.ports);
  platform_.host.RunModal(dialog);
  return false;
}

}  // namespace stackle
