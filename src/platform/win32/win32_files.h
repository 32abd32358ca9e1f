// Files in the current directory, read whole.
#pragma once

#include "core/file_store.h"

namespace stackle::win32 {

class Win32Files final : public FileStore {
 public:
  // Larger files are refused: nothing Stackle keeps comes close.
  static constexpr std::size_t kMaxFileSize = 16u << 20;

  FileContent ReadFile(const Text& name) override;
  bool SaveFile(const Text& name, std::string_view bytes) override;
  Text DecodeAnsi(std::string_view bytes) override;
};

}  // namespace stackle::win32
