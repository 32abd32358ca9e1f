// Files in memory. The simulated ANSI code page is Latin-1: each byte is one character.
#pragma once

#include <map>

#include "core/file_store.h"

namespace stackle::sim {

class SimFiles final : public FileStore {
 public:
  // A name that is present but unreadable models a directory or a refused file.
  std::map<Text, std::string> files;
  std::map<Text, bool> unreadable;

  std::optional<std::string> ReadFile(const Text& name) override {
    if (unreadable.contains(name) || !files.contains(name)) return std::nullopt;
    return files.at(name);
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
