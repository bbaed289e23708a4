// The message service core: numbered messages, each with a level, a title and a text with
// placeholders, shown through an Answerer that asks the user (a message box in the program,
// a script in tests) and returns the answer. Thread-safe: one service for the whole program;
// the answerer is called on the asking thread, which waits for the answer.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace ormile::base {

// Outcome levels of framework operations.
enum class Level : int { Benign = 0, User = 1, Program = 2, Fatal = 3, Cancel = 4, Notify = 5 };

enum class Buttons { Ok, YesNo, YesNoCancel, AbortIgnore };
enum class Answer { Ok, Yes, No, Cancel, Abort, Ignore };

// Every message the data layers and the framework show, by number.
enum class Msg : int {
  ReadOnlyFallback = 1,  // "Could not get write access to %File so trying read-only."
  RebuildKey = 2,        // "%File key file is invalid. Key must be rebuilt."
  CreateFailed = 3,      // fatal
  OpenFailed = 4,        // fatal
  RebuildFailed = 5,     // fatal
  DuplicateKey = 6,
  FieldNotInFile = 7,
  AddFailed = 8,
  AutoIncError = 9,
  RetrievalError = 10,
  ConfirmDelete = 11,
  LogoutFailed = 12,
  RestrictDelete = 13,
  DeleteFailed = 14,
  RetryDelete = 15,
  RetryUpdate = 16,
  SaveRecord = 17,
  Stop = 18,  // text is %Message
};

// Values for the placeholders of a message text.
struct MessageArgs {
  std::string file;       // %File
  std::string field;      // %Field
  std::string key;        // %Key
  std::string message;    // %Message
  std::string errorText;  // %ErrorText
};

// A message as the user sees it: placeholders filled in, "|" turned into line breaks, and
// for a fatal message the closing sentence appended.
struct ShownMessage {
  int number = 0;
  Level level = Level::Notify;
  std::string title;
  std::string text;
  Buttons buttons = Buttons::Ok;
  Answer defaultAnswer = Answer::Ok;
};

class Answerer {
 public:
  virtual ~Answerer() = default;
  // Shows the message and returns the user's answer; blocks the calling thread only.
  virtual Answer ask(const ShownMessage& message) = 0;
};

class MessageService {
 public:
  explicit MessageService(Answerer& answerer);

  // Shows message `id`. A Fatal message ends the program once it has been answered (through
  // the program-end hook, which returns only in tests).
  Answer show(Msg id, const MessageArgs& args = {});

  // The stop message: title "Stop", the given text, "&Abort" and "&Ignore". On Abort the
  // caller's `beforeEnd` runs (to commit what a run wrote) and then the program ends.
  Answer stop(std::string_view text, const std::function<void()>& beforeEnd = {});

  // The level a framework operation returns for an answer to message `id`: a question
  // answered Yes is Benign, No or Cancel is Cancel; other messages keep their own level.
  static Level levelOf(Msg id, Answer answer);

  // Fills the placeholders of `text`; "%Procedure" comes from the procedure-name source.
  std::string expand(std::string_view text, const MessageArgs& args) const;

  // Where "%Procedure" comes from (the top of the calling thread's procedure-name stack).
  void setProcedureNameSource(std::function<std::string()> source);
  // How the program ends after a fatal message or an Abort; default: exit at once.
  void setProgramEnd(std::function<void(int exitCode)> end);

  Answerer& answerer() { return answerer_; }

 private:
  Answerer& answerer_;
  std::function<std::string()> procedureName_;  // set once at start-up, before threads start
  std::function<void(int)> programEnd_;         // set once at start-up, before threads start
};

}  // namespace ormile::base
