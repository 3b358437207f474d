// Files and folders: the Win32 file functions and C runtime streams.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Handles.h"

namespace platform {

struct FindData {
  uint32_t attributes = 0;
  std::string fileName;  // name only, no folder
  uint64_t size = 0;     // bytes
};

// A C runtime stream (fopen/fgets/fseek/fputc/fflush/fclose).
class Stream {
 public:
  virtual ~Stream() = default;  // fclose
  // fgets with a buffer of bufferSize characters: reads up to and including
  // the next '\n' or bufferSize - 1 characters. False at end of file.
  virtual bool GetLine(std::string* line, int bufferSize) = 0;
  virtual long Tell() = 0;
  virtual bool Seek(long offset, int origin) = 0;  // origin: SEEK_SET/SEEK_CUR/SEEK_END
  virtual bool PutChar(char c) = 0;
  virtual bool Flush() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // GetWindowsDirectoryA into a buffer of bufferSize characters. Empty when
  // the directory does not fit, as the API then copies nothing.
  virtual std::string GetWindowsDirectory(uint32_t bufferSize) = 0;
  virtual std::string GetCurrentDirectory() = 0;
  virtual bool SetCurrentDirectory(const std::string& path) = 0;
  virtual bool CreateDirectory(const std::string& path) = 0;
  // RemoveDirectoryA: only an empty folder goes.
  virtual bool RemoveDirectory(const std::string& path) = 0;
  // FindFirstFileA / FindNextFileA / FindClose. FindFirst returns 0 when
  // nothing matches.
  virtual FindHandle FindFirstFile(const std::string& pattern, FindData* data) = 0;
  virtual bool FindNextFile(FindHandle handle, FindData* data) = 0;
  virtual void FindClose(FindHandle handle) = 0;
  virtual bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) = 0;
  // MoveFileExA with MOVEFILE_REPLACE_EXISTING: puts from in place of an
  // existing to in one step, so that a reader sees the old file or the new
  // one, never a part. Windows 2000 and later (the NT family); 9x lacks it.
  virtual bool MoveFileReplacing(const std::string& from, const std::string& to) = 0;
  // MoveFileExA with MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING:
  // the system puts from in place of to when it next starts, before any
  // program runs (noted in the registry's PendingFileRenameOperations, which
  // takes administrator rights). The NT family only.
  virtual bool MoveFileAtRestart(const std::string& from, const std::string& to) = 0;
  // MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT): the system deletes
  // the file, or the empty folder, when it next starts. The NT family only.
  virtual bool DeleteFileAtRestart(const std::string& path) = 0;
  virtual bool DeleteFile(const std::string& path) = 0;
  virtual bool SetFileAttributes(const std::string& path, uint32_t attributes) = 0;
  // fopen; null when the file does not open in that mode.
  virtual std::unique_ptr<Stream> OpenStream(const std::string& path, const std::string& mode) = 0;
};

}  // namespace platform
