// A procedure thread's session: its data session (connection, table and relation handles),
// the request and response of forms, the stack of procedure names, its event queue, and the
// services it reaches (screen, settings, messages). Created when the thread starts and
// destroyed when it ends. Procedure thread only, except current(), which is thread-local.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "base/messages.h"
#include "data/relations/session.h"
#include "platform/events.h"
#include "platform/screen.h"
#include "platform/settings.h"

namespace ormile::windows {

enum class Request : int { None = 0, Insert = 1, Change = 2, Delete = 3, Select = 4, View = 6 };
enum class Response : int { None = 0, Completed = 1, Cancelled = 2 };

// What every session of the program shares. Thread-safe parts only.
struct Services {
  std::filesystem::path directory;  // the data files and the settings file
  base::MessageService* messages = nullptr;
  platform::Screen* screen = nullptr;
  platform::Settings* settings = nullptr;
};

class Session {
 public:
  explicit Session(const Services& services);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  data::Session& data() { return data_; }
  data::TableHandle& operator[](data::Handle h) { return data_[h]; }
  data::RelationHandle& relation(data::Handle h) { return data_.relation(h); }
  platform::Screen& screen() { return *services_.screen; }
  platform::Settings& settings() { return *services_.settings; }
  base::MessageService& messages() { return *services_.messages; }
  platform::EventQueue& events() { return events_; }
  const Services& services() const { return services_; }

  // Form requests of this thread.
  Request request = Request::None;
  Response response = Response::None;

  void pushProcedure(std::string name) { procedures_.push_back(std::move(name)); }
  void popProcedure() {
    if (!procedures_.empty()) procedures_.pop_back();
  }
  std::string procedure() const { return procedures_.empty() ? std::string() : procedures_.back(); }

  // The record each form procedure of this thread saved last, by procedure name: where the
  // history key takes a field's previous value from.
  std::map<std::string, store::Record> savedRecords;

  // The window that message boxes of this thread are modal to (the top one), 0 for none.
  std::vector<platform::WindowId> windows;
  platform::WindowId topWindow() const { return windows.empty() ? 0 : windows.back(); }

  // The session of the calling thread, or null: only for services that have no caller to
  // pass it ("%Procedure", the window of a message box).
  static Session* current();

 private:
  Services services_;
  data::Session data_;
  platform::EventQueue events_;
  std::vector<std::string> procedures_;
};

// Shows messages of the message service as boxes of the screen, window-modal to the asking
// thread's top window. Thread-safe.
class ScreenAnswerer : public base::Answerer {
 public:
  explicit ScreenAnswerer(platform::Screen& screen) : screen_(screen) {}
  base::Answer ask(const base::ShownMessage& message) override;

 private:
  platform::Screen& screen_;
};

}  // namespace ormile::windows
