#include "remote/command_line.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "catalogue/opacity_register.h"
#include "catalogue/text.h"
#include "remote/command_message.h"

namespace stackle {
namespace {

struct Switch {
  std::u16string_view name;
  CommandVerb verb;
  bool takes_text;
  bool takes_percent = false;
};

constexpr Switch kSwitches[] = {
    {u"top", CommandVerb::kTop, true},        {u"notop", CommandVerb::kNoTop, true},
    {u"front", CommandVerb::kFront, true},    {u"bottom", CommandVerb::kBottom, true},
    {u"hide", CommandVerb::kHide, true},      {u"show", CommandVerb::kShow, true},
    {u"close", CommandVerb::kClose, true},    {u"showall", CommandVerb::kShowAll, false},
    {u"list", CommandVerb::kList, false},     {u"exit", CommandVerb::kExit, false},
    {u"?", CommandVerb::kHelp, false},        {u"rules", CommandVerb::kRules, false},
    {u"reload", CommandVerb::kReload, false}, {u"opacity", CommandVerb::kOpacity, true, true},
    {u"opaque", CommandVerb::kOpaque, false},
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
    u"  /opacity NN テキスト  不透明度を NN% にします (20～100)\r\n"
    u"  /opaque           Stackle が変えた不透明度をすべて元に戻します\r\n"
    u"  /showall          Stackle が非表示にしたウインドウをすべて表示します\r\n"
    u"  /list             一覧のウインドウを 1 行に 1 つ書き出します\r\n"
    u"  /rules            stackle.ini のルールとその状態を書き出します\r\n"
    u"  /reload           ルールと nolist.txt を読み直します\r\n"
    u"  /exit             Stackle を終了します\r\n"
    u"  /?                この説明を書き出します\r\n"
    u"終了コード: 0 成功、1 該当するウインドウがない、2 引数の誤り、3 操作を拒否された、"
    u"4 Stackle が応答しない、5 Stackle が管理者として実行中、6 出力を受け取れない\r\n";

ParsedCommandLine ParseCommandLine(const std::vector<Text>& arguments) {
  if (arguments.empty()) return {};
  const std::u16string_view first = arguments[0];
  const auto known = std::ranges::find_if(kSwitches, [&](const Switch& s) {
    return first.size() > 1 && (first[0] == u'/' || first[0] == u'-') &&
           EqualsIgnoringAsciiCase(first.substr(1), s.name);
  });
  if (known == std::end(kSwitches))
    return {{}, u"不明なスイッチです: " + Text(first.substr(0, 100))};
  const std::size_t wanted = (known->takes_text ? 2 : 1) + (known->takes_percent ? 1 : 0);
  if (arguments.size() < wanted) return {{}, u"テキストがありません: " + Text(first)};
  if (arguments.size() > wanted) {
    return {{}, u"引数が多すぎます (空白を含むテキストは \"\" で囲んでください)"};
  }
  if (!known->takes_text) return {{known->verb, {}}, {}};
  std::uint32_t percent = 0;
  if (known->takes_percent) {
    const auto given = ParseOpacity(arguments[1]);
    if (!given)
      return {{}, u"不透明度は 20 から 100 までの整数です: " + Text(Shortened(arguments[1], 100))};
    percent = static_cast<std::uint32_t>(*given);
  }
  const Text& text = arguments.back();
  if (text.empty()) return {{}, u"テキストが空です: " + Text(first)};
  if (text.size() > kMaxCommandText) return {{}, u"テキストが長すぎます"};
  return {{known->verb, text, percent}, {}};
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
    case kExitElevated:
      return u"Stackle は管理者として実行されています: 管理者として実行したコマンド プロンプトから"
             u"実行してください";
    case kExitOutputLost:
      return u"Stackle の出力を受け取れませんでした";
    default:
      return command.verb == CommandVerb::kReload ? u"理解できないルールがあります"
                                                  : u"引数が正しくありません";
  }
}

bool TakesText(CommandVerb verb) {
  const auto known = std::ranges::find(kSwitches, verb, &Switch::verb);
  return known != std::end(kSwitches) && known->takes_text;
}

bool TakesPercent(CommandVerb verb) {
  const auto known = std::ranges::find(kSwitches, verb, &Switch::verb);
  return known != std::end(kSwitches) && known->takes_percent;
}

bool IsCarriedOut(CommandVerb verb) {
  return verb != CommandVerb::kHelp &&
         std::ranges::find(kSwitches, verb, &Switch::verb) != std::end(kSwitches);
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
