// The files port: the text files Stackle keeps in the current directory.
#pragma once

#include <string>
#include <string_view>

#include "core/types.h"

namespace stackle {

// How reading a file ended. Only a file read whole, or one that is missing, may be written
// again: anything else would replace what the user has with what Stackle failed to read.
enum class FileState {
  kRead,
  kMissing,
  kUnreadable,  // a directory of that name, read refused, held by another program, I/O error
  kTooLarge,    // larger than any file Stackle keeps: refused rather than read in part
};

struct FileContent {
  FileState state = FileState::kMissing;
  std::string bytes;  // the whole file when read; empty otherwise
  friend bool operator==(const FileContent&, const FileContent&) = default;
};

class FileStore {
 public:
  virtual ~FileStore() = default;

  virtual FileContent ReadFile(const Text& name) = 0;
  // Replaces the file's content as one step: the new bytes go to a temporary file beside it,
  // which then takes the old file's place, keeping its attributes and permissions (a missing
  // file is made new), so that a failed write leaves the old file whole. False, with nothing
  // changed, when that cannot be done.
  virtual bool SaveFile(const Text& name, std::string_view bytes) = 0;
  // Text in the system's ANSI code page, as UTF-16. Never fails: bytes that do not decode
  // become replacement characters.
  virtual Text DecodeAnsi(std::string_view bytes) = 0;
};

}  // namespace stackle
