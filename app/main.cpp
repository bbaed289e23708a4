// Program entry. Until the window platform arrives, the program opens the data files of the
// current directory (creating the missing ones empty, repairing invalid keys), reports what
// they hold and ends; messages that would be boxes go to standard error.
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "base/messages.h"
#include "base/text.h"
#include "data/relations/session.h"

namespace {

class ConsoleAnswerer : public ormile::base::Answerer {
 public:
  ormile::base::Answer ask(const ormile::base::ShownMessage& m) override {
    std::cerr << m.title << ": " << m.text << "\n";
    return m.defaultAnswer;
  }
};

}  // namespace

int main() {
  using namespace ormile;
  ConsoleAnswerer answerer;
  base::MessageService messages(answerer);
  data::Session session(std::filesystem::current_path(), messages);
  std::printf("Ormile data in %s\n", std::filesystem::current_path().c_str());
  for (int t = 0; t < data::kTableCount; ++t) {
    auto& h = session[data::Table(t)];
    if (h.open() != base::Level::Benign) return 1;
    std::printf("  %-12s %-12s %8lld records\n", h.label().c_str(),
                h.table().schema.fileNameWithExtension().c_str(),
                static_cast<long long>(h.records()));
    h.close();
  }
  return 0;
}
