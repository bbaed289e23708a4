#include "platform/ini_file.h"

#include <fstream>
#include <sstream>

#include "base/text.h"

namespace ormile::platform {
namespace {

bool same(const std::string& a, const std::string& b) {
  return a.size() == b.size() && base::compareKeyText(a, b) == 0;
}

std::string trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

}  // namespace

std::vector<IniFile::Section> IniFile::load() const {
  std::vector<Section> out;
  std::ifstream in(path_);
  std::string line;
  while (std::getline(in, line)) {
    std::string t = trim(line);
    if (t.empty() || t[0] == ';') continue;
    if (t.front() == '[' && t.back() == ']') {
      out.push_back({trim(t.substr(1, t.size() - 2)), {}});
      continue;
    }
    auto eq = t.find('=');
    if (eq == std::string::npos || out.empty()) continue;
    out.back().keys.emplace_back(trim(t.substr(0, eq)), trim(t.substr(eq + 1)));
  }
  return out;
}

bool IniFile::save(const std::vector<Section>& sections) const {
  // Written beside the file and renamed over it, so a crash never leaves half a file.
  std::filesystem::path tmp = path_;
  tmp += ".new";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    for (size_t i = 0; i < sections.size(); ++i) {
      if (i) out << "\r\n";
      out << "[" << sections[i].name << "]\r\n";
      for (const auto& [k, v] : sections[i].keys) out << k << "=" << v << "\r\n";
    }
    if (!out.flush()) return false;
  }
  std::error_code ec;
  std::filesystem::rename(tmp, path_, ec);
  return !ec;
}

std::optional<std::string> IniFile::get(const std::string& section, const std::string& key) const {
  std::lock_guard lock(mutex_);
  for (const auto& s : load())
    if (same(s.name, section))
      for (const auto& [k, v] : s.keys)
        if (same(k, key)) return v;
  return std::nullopt;
}

bool IniFile::put(const std::string& section, const std::string& key, const std::string& value) {
  std::lock_guard lock(mutex_);
  auto all = load();
  Section* s = nullptr;
  for (auto& candidate : all)
    if (same(candidate.name, section)) s = &candidate;
  if (!s) {
    all.push_back({section, {}});
    s = &all.back();
  }
  for (auto& [k, v] : s->keys)
    if (same(k, key)) {
      v = value;
      return save(all);
    }
  s->keys.emplace_back(key, value);
  return save(all);
}

bool IniFile::remove(const std::string& section, const std::string& key) {
  std::lock_guard lock(mutex_);
  auto all = load();
  for (size_t i = 0; i < all.size(); ++i) {
    if (!same(all[i].name, section)) continue;
    auto& keys = all[i].keys;
    for (size_t j = 0; j < keys.size(); ++j)
      if (same(keys[j].first, key)) {
        keys.erase(keys.begin() + long(j));
        if (keys.empty()) all.erase(all.begin() + long(i));
        return save(all);
      }
  }
  return true;
}

std::vector<std::string> IniFile::sections() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> out;
  for (const auto& s : load()) out.push_back(s.name);
  return out;
}

}  // namespace ormile::platform
