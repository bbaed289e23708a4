// A second program on the same data files, for the tests that need another process:
//   ormile_share_writer DIR number N     numbers and adds N productions; exit status is the
//                                        number of messages that would have been shown
//   ormile_share_writer DIR cascade XID  deletes production XID with its structure rows,
//                                        printing "started" when its transaction has begun
//   ormile_share_writer DIR hold XID     as cascade, but waits before the commit (to be killed)
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "data/relations/session.h"

namespace {

class CountingAnswerer : public ormile::base::Answerer {
 public:
  ormile::base::Answer ask(const ormile::base::ShownMessage& m) override {
    std::fprintf(stderr, "%s: %s\n", m.title.c_str(), m.text.c_str());
    ++count;
    return m.defaultAnswer;
  }
  std::atomic<int> count{0};
};

}  // namespace

int main(int argc, char** argv) {
  using namespace ormile;
  if (argc != 4) return 100;
  CountingAnswerer answers;
  base::MessageService messages(answers);
  data::Session s(argv[1], messages);
  std::string mode = argv[2];
  int n = std::atoi(argv[3]);
  if (mode == "number") {
    auto& x = s[data::Handle::X];
    for (int i = 0; i < n; ++i) {
      x.clear();
      std::string header = "<p" + std::to_string(::getpid()) + "-" + std::to_string(i) + ">";
      x.setString(data::fld::X::BNF_Header, header);
      if (x.primeAutoNumber() != base::Level::Benign) break;
    }
    return answers.count;
  }
  if (mode == "cascade" || mode == "hold") {
    auto& x = s[data::Handle::X];
    x.clear();
    x.setLong(data::fld::X::XId, n);
    if (!ok(x.get(data::key::X::XIdPkey))) return 101;
    auto& xs = s[data::Handle::XS];
    if (!ok(s.tables().logout(2, {&x, &xs}))) return 102;
    std::printf("started\n");
    std::fflush(stdout);
    if (s.relation(data::Handle::X).deleteRecord(false) != base::Level::Benign) return 103;
    if (mode == "hold") {
      std::printf("deleted\n");
      std::fflush(stdout);
      ::pause();
    }
    return ok(s.tables().commit()) ? 0 : 104;
  }
  return 100;
}
