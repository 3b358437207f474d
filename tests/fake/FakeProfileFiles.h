// The Windows profile functions over files of the fake drive: section and key
// names case-insensitive, blanks around names and values trimmed, surrounding
// quotes removed, only the first section of a name read, integers from their
// leading digits (a non-numeric value gives 0), files with a byte-order mark
// read as Unicode, and the file, section and key created on write. A bare
// file name means a file in the Windows directory.
#pragma once

#include <map>
#include <string>

#include "fake/FakeFileSystem.h"
#include "fake/Journal.h"
#include "platform/ProfileFiles.h"

namespace fake {

class FakeProfileFiles : public platform::ProfileFiles {
 public:
  FakeProfileFiles(FakeFileSystem& files, Journal& journal);

  uint32_t GetInt(const std::string& section, const std::string& key, int defaultValue,
                  const std::string& file) override;
  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& defaultValue, uint32_t bufferSize,
                        const std::string& file) override;
  bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) override;

  // The stored value, or nullopt-like "missing" flag (tests only).
  bool Has(const std::string& section, const std::string& key, const std::string& file);
  std::string Get(const std::string& section, const std::string& key, const std::string& file);
  // How many values have been read from a file, by GetInt and GetString.
  int Reads(const std::string& file) const;

 private:
  std::string Resolve(const std::string& file) const;
  bool Lookup(const std::string& section, const std::string& key, const std::string& file,
              std::string* value);

  FakeFileSystem& m_files;
  Journal& m_journal;
  std::map<std::string, int> m_reads;  // by upper-cased absolute path
};

}  // namespace fake
