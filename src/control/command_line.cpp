#include "control/command_line.h"

#include <algorithm>
#include <iterator>

#include "catalogue/hidden_register.h"
#include "catalogue/text.h"

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

// The label's title: without the prefixes the list puts before it.
std::u16string_view TitleOf(std::u16string_view label, bool hidden) {
  const std::u16string_view prefixes[] = {kMinimizedPrefix, kTopMostPrefix, kFolderPrefix};
  if (hidden) {
    if (label.starts_with(kHiddenPrefix)) label.remove_prefix(std::size(kHiddenPrefix) - 1);
    return label;
  }
  for (std::u16string_view prefix : prefixes)
    if (label.starts_with(prefix)) label.remove_prefix(prefix.size());
  return label;
}

void PutLittleEndian(std::string& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out.push_back(static_cast<char>(value >> (8 * i)));
}

std::uint64_t GetLittleEndian(std::span<const std::uint8_t> bytes) {
  std::uint64_t value = 0;
  for (std::size_t i = bytes.size(); i-- > 0;)
    value = value << 8 | bytes[i];
  return value;
}

constexpr std::size_t kHeaderSize = 12;

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

std::string EncodeCommand(const Command& command, WindowRef reply_to) {
  std::string bytes;
  PutLittleEndian(bytes, static_cast<std::uint32_t>(command.verb), 4);
  PutLittleEndian(bytes, reply_to, 8);
  for (char16_t c : command.text)
    PutLittleEndian(bytes, c, 2);
  PutLittleEndian(bytes, 0, 2);
  return bytes;
}

std::optional<ReceivedCommand> DecodeCommand(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kHeaderSize + 2 || bytes.size() % 2 != 0 ||
      bytes.size() > kHeaderSize + 2 * (kMaxCommandText + 1)) {
    return std::nullopt;
  }
  ReceivedCommand received;
  const auto verb = GetLittleEndian(bytes.first(4));
  const auto known = std::ranges::find(
      kSwitches, verb, [](const Switch& s) { return static_cast<std::uint64_t>(s.verb); });
  if (known == std::end(kSwitches) || known->verb == CommandVerb::kHelp) return std::nullopt;
  received.command.verb = known->verb;
  received.reply_to = static_cast<WindowRef>(GetLittleEndian(bytes.subspan(4, 8)));
  for (std::size_t at = kHeaderSize; at + 2 < bytes.size(); at += 2) {
    const auto c = static_cast<char16_t>(GetLittleEndian(bytes.subspan(at, 2)));
    if (c == 0) return std::nullopt;  // one terminator, at the end
    received.command.text.push_back(c);
  }
  if (GetLittleEndian(bytes.last(2)) != 0) return std::nullopt;
  if (received.command.text.empty() == known->takes_text) return std::nullopt;
  return received;
}

std::optional<std::size_t> FindCommandTarget(const std::vector<Text>& labels,
                                             std::size_t first_hidden, const Command& command) {
  const bool in_hidden = command.verb == CommandVerb::kShow;
  for (std::size_t i = 0; i < labels.size(); ++i) {
    const bool hidden = i >= first_hidden;
    if (hidden == in_hidden && ContainsWholeCharacters(TitleOf(labels[i], hidden), command.text)) {
      return i;
    }
  }
  return std::nullopt;
}

}  // namespace stackle
