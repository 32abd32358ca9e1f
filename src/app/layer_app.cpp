#include "app/layer_app.h"

#include "remote/command_line.h"
#include "remote/ini_file.h"
#include "remote/rules.h"

namespace stackle {
namespace {

int HandOver(const Command& command, const CommandPlatform& platform) {
  auto answer = platform.link.Send(command);
  if (!answer) {
    // With no copy running there is nothing to end, and no list to print; the rules are
    // those of stackle.ini here.
    if (command.verb == CommandVerb::kExit) return kExitDone;
    if (command.verb == CommandVerb::kRules) {
      platform.console.Write(
          DescribeRules(ReadRules(ReadIniFile(platform.files).content.value_or(""))));
      return kExitDone;
    }
    if (command.verb == CommandVerb::kList || !platform.link.StartCopy()) {
      answer = CommandAnswer{};
    } else {
      answer = platform.link.Send(command).value_or(CommandAnswer{});
    }
  }
  platform.console.Write(answer->output);
  if (const Text why = ExplainExitCode(answer->code, command); !why.empty())
    platform.console.WriteError(why + u"\r\n");
  return answer->code;
}

}  // namespace

int RunCommandLine(const std::vector<Text>& arguments, const CommandPlatform& platform) {
  const ParsedCommandLine parsed = ParseCommandLine(arguments);
  if (!parsed.error.empty()) {
    platform.console.WriteError(parsed.error + u"\r\n" + kUsage);
    return kExitBadArguments;
  }
  if (parsed.command.verb == CommandVerb::kHelp) {
    platform.console.Write(kUsage);
    return kExitDone;
  }
  return HandOver(parsed.command, platform);
}

bool CLayerApp::InitInstance() {
  // A second copy ends silently: no window, no tray icon, no message, the first one untouched.
  if (!platform_.guard.Claim()) return false;
  CLayerDialog dialog(platform_.ports);
  platform_.host.RunModal(dialog);
  return false;
}

}  // namespace stackle
