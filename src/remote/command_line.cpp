#include "remote/command_line.h"

#include <algorithm>
#include <iterator>

#include "catalogue/text.h"
#include "remote/command_message.h"

namespace stackle {
namespace {

struct Switch {
  std::u16string_view name;
  CommandVerb verb;
  bool takes_text;
};

constexpr Switch kSwitches[] = {
    {u"top", CommandVerb::kTop, true},     {u"notop", CommandVerb::kNoTop, true},
    {u"front", CommandVerb::kFront, true}, {u"bottom", CommandVerb::kBottom, true},
    {u"hide", CommandVerb::kHide, true},   {u"show", CommandVerb::kShow, true},
    {u"close", CommandVerb::kClose, true}, {u"showall", CommandVerb::kShowAll, false},
    {u"list", CommandVerb::kList, false},  {u"exit", CommandVerb::kExit, false},
    {u"?", CommandVerb::kHelp, false},
};

}  // namespace

const char16_t kUsage[] =
    u"使い方: stackle [スイッチ [テキスト]]\r\n"
    u"  /top テキスト     タイトルにテキストを含むウインドウを常に手前にします\r\n"
    u"  /notop テキスト   常に手前を解除します\r\n"
    u"  /front テキスト   一番手前にします\r\n"
    u"  /bottom テキスト  一番奥にします\r\n"
    u"  /hide テキスト    非表示にします\r\n"
    u"  /show テキスト    Stackle が非表示にしたウインドウを表示します\r\n"
    u"  /close テキスト   閉じます\r\n"
    u"  /showall          Stackle が非表示にしたウインドウをすべて表示します\r\n"
    u"  /list             一覧のウインドウを 1 行に 1 つ書き出します\r\n"
    u"  /exit             Stackle を終了します\r\n"
    u"  /?                この説明を書き出します\r\n"
    u"終了コード: 0 成功、1 該当するウインドウがない、2 引数の誤り、3 操作を拒否された、"
    u"4 Stackle が応答しない\r\n";

ParsedCommandLine ParseCommandLine(const std::vector<Text>& arguments) {
  if (arguments.empty()) return {};
  const std::u16string_view first = arguments[0];
  const auto known = std::ranges::find_if(kSwitches, [&](const Switch& s) {
    return first.size() > 1 && (first[0] == u'/' || first[0] == u'-') &&
           EqualsIgnoringAsciiCase(first.substr(1), s.name);
  });
  if (known == std::end(kSwitches))
    return {{}, u"不明なスイッチです: " + Text(first.substr(0, 100))};
  const std::size_t wanted = known->takes_text ? 2 : 1;
  if (arguments.size() < wanted) return {{}, u"テキストがありません: " + Text(first)};
  if (arguments.size() > wanted) {
    return {{}, u"引数が多すぎます (空白を含むテキストは \"\" で囲んでください)"};
  }
  if (!known->takes_text) return {{known->verb, {}}, {}};
  const Text& text = arguments[1];
  if (text.empty()) return {{}, u"テキストが空です: " + Text(first)};
  if (text.size() > kMaxCommandText) return {{}, u"テキストが長すぎます"};
  return {{known->verb, text}, {}};
}

Text ExplainExitCode(int code, const Command& command) {
  switch (code) {
    case kExitDone:
      return {};
    case kExitNoWindow:
      return u"該当するウインドウがありません: " + command.text;
    case kExitRefused:
      return kRefusedNotice;
    case kExitNoAnswer:
      return command.verb == CommandVerb::kList ? u"Stackle は起動していません"
                                                : u"Stackle が応答しません";
    default:
      return u"引数が正しくありません";
  }
}

bool TakesText(CommandVerb verb) {
  const auto known = std::ranges::find(kSwitches, verb, &Switch::verb);
  return known != std::end(kSwitches) && known->takes_text;
}

bool NamesWindow(const Command& command, const ListedWindow& listed) {
  return listed.hidden == (command.verb == CommandVerb::kShow) &&
         ContainsWholeCharacters(listed.title, command.text);
}

std::optional<std::size_t> FindCommandTarget(const std::vector<ListedWindow>& listed,
                                             const Command& command) {
  for (std::size_t i = 0; i < listed.size(); ++i) {
    if (NamesWindow(command, listed[i])) return i;
  }
  return std::nullopt;
}

}  // namespace stackle
