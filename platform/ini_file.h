// A Windows-style initialisation file: named sections of "key=value" lines, read and written
// whole. Keys and sections compare without regard to letter case; the file keeps the order
// and the spelling in which they were first written. Thread-safe: every call reads or writes
// the file under one lock, so threads may share an IniFile.
#pragma once

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace ormile::platform {

class IniFile {
 public:
  explicit IniFile(std::filesystem::path path) : path_(std::move(path)) {}

  std::optional<std::string> get(const std::string& section, const std::string& key) const;
  // Writes the key (creating the file and the section as needed).
  bool put(const std::string& section, const std::string& key, const std::string& value);
  // Removes the key; a section left empty is removed too.
  bool remove(const std::string& section, const std::string& key);
  // Every section name in file order.
  std::vector<std::string> sections() const;
  const std::filesystem::path& path() const { return path_; }

 private:
  struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> keys;
  };
  std::vector<Section> load() const;
  bool save(const std::vector<Section>& sections) const;

  std::filesystem::path path_;
  mutable std::mutex mutex_;  // guards the file
};

}  // namespace ormile::platform
