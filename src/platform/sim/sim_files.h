// Files in memory. The simulated ANSI code page is Latin-1: each byte is one character.
#pragma once

#include <map>

#include "core/file_store.h"

namespace stackle::sim {

class SimFiles final : public FileStore {
 public:
  std::map<Text, std::string> files;
  // A present file that does not read: kUnreadable (held, refused, a directory) or kTooLarge.
  std::map<Text, FileState> failing;

  FileContent ReadFile(const Text& name) override {
    if (failing.contains(name)) return {failing.at(name), {}};
    if (!files.contains(name)) return {FileState::kMissing, {}};
    return {FileState::kRead, files.at(name)};
  }

  bool SaveFile(const Text& name, std::string_view bytes) override {
    files[name] = std::string(bytes);
    return true;
  }

  Text DecodeAnsi(std::string_view bytes) override {
    Text text;
    text.reserve(bytes.size());
    for (char c : bytes)
      text.push_back(static_cast<unsigned char>(c));
    return text;
  }
};

}  // namespace stackle::sim
