// The files port: the two text files Stackle keeps in the current directory.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/types.h"

namespace stackle {

class FileStore {
 public:
  virtual ~FileStore() = default;

  // The file's bytes, or nothing when it cannot be opened (missing, a directory, refused).
  virtual std::optional<std::string> ReadFile(const Text& name) = 0;
  // Replaces the file's content as one step: the new bytes go to a temporary file beside it,
  // which then takes the old file's place, so that a failed write leaves the old file whole.
  // False, with nothing changed, when that cannot be done.
  virtual bool SaveFile(const Text& name, std::string_view bytes) = 0;
  // Text in the system's ANSI code page, as UTF-16. Never fails: bytes that do not decode
  // become replacement characters.
  virtual Text DecodeAnsi(std::string_view bytes) = 0;
};

}  // namespace stackle
