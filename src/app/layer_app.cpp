#include "app/layer_app.h"

#include "remote/command_line.h"
#include "remote/ini_file.h"
#include "remote/rules.h"

namespace stackle {

int CLayerApp::Run(const std::vector<Text>& arguments) {
  const ParsedCommandLine parsed = ParseCommandLine(arguments);
  if (!parsed.error.empty()) {
    platform_.console.WriteError(parsed.error + u"\r\n" + kUsage);
    return kExitBadArguments;
  }
  switch (parsed.command.verb) {
    case CommandVerb::kNone:
      InitInstance();
      return ExitInstance();
    case CommandVerb::kHelp:
      platform_.console.Write(kUsage);
      return kExitDone;
    default:
      return HandOver(parsed.command);
  }
}

int CLayerApp::HandOver(const Command& command) {
  auto answer = platform_.link.Send(command);
  if (!answer) {
    // With no copy running there is nothing to end, and no list to print; the rules are
    // those of stackle.ini here.
    if (command.verb == CommandVerb::kExit) return kExitDone;
    if (command.verb == CommandVerb::kRules) {
      platform_.console.Write(
          DescribeRules(ReadRules(ReadIniFile(platform_.ports.files).content.value_or(""))));
      return kExitDone;
    }
    if (command.verb == CommandVerb::kList || !platform_.link.StartCopy()) {
      answer = CommandAnswer{};
    } else {
      answer = platform_.link.Send(command).value_or(CommandAnswer{});
    }
  }
  platform_.console.Write(answer->output);
  if (const Text why = ExplainExitCode(answer->code, command); !why.empty())
    platform_.console.WriteError(why + u"\r\n");
  return answer->code;
}

bool CLayerApp::InitInstance() {
  // A second copy ends silently: no window, no tray icon, no message, the first one untouched.
  if (!platform_.guard.Claim()) return false;
  CLayerDialog dialog(platform_.ports);
  platform_.host.RunModal(dialog);
  return false;
}

}  // namespace stackle
