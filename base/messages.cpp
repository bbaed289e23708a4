// The catalogue of messages and their placeholders.
#include "base/messages.h"

#include <cstdio>
#include <cstdlib>

namespace ormile::base {
namespace {

struct Entry {
  Msg id;
  Level level;
  const char* title;
  const char* text;
  Buttons buttons;
  Answer defaultAnswer;
};

constexpr Entry kCatalogue[] = {
    {Msg::ReadOnlyFallback, Level::Notify, "File Access",
     "Could not get write access to %File so trying read-only.", Buttons::Ok, Answer::Ok},
    {Msg::RebuildKey, Level::Notify, "Key Rebuild",
     "%File key file is invalid. Key must be rebuilt.", Buttons::Ok, Answer::Ok},
    {Msg::CreateFailed, Level::Fatal, "File Create Error", "Error: (%ErrorText) creating %File.",
     Buttons::Ok, Answer::Ok},
    {Msg::OpenFailed, Level::Fatal, "File Open Error",
     "File %File could not be opened.  Error: %ErrorText.", Buttons::Ok, Answer::Ok},
    {Msg::RebuildFailed, Level::Fatal, "Key Rebuild Error",
     "Error: (%ErrorText) rebuilding the keys of %File.", Buttons::Ok, Answer::Ok},
    {Msg::DuplicateKey, Level::Notify, "Duplicate Key Error",
     "Adding this record creates a duplicate entry for the key: %Message", Buttons::Ok, Answer::Ok},
    {Msg::FieldNotInFile, Level::Notify, "Field contents error",
     "The value of %Field must be found in the %Message file.", Buttons::Ok, Answer::Ok},
    {Msg::AddFailed, Level::Notify, "Record Insert Error",
     "An error was experienced during the creation of a record.|File: %File|Error: %ErrorText.",
     Buttons::Ok, Answer::Ok},
    {Msg::AutoIncError, Level::User, "Auto Increment Error",
     "Attempts to automatically number this record have failed.|File: %File|Key: %Key|Error: "
     "%ErrorText.|Try Again?",
     Buttons::YesNo, Answer::Yes},
    {Msg::RetrievalError, Level::Notify, "Record Retrieval Error",
     "Error: (%ErrorText) attempting to access a record from the %File file.  Returning to "
     "previous window.",
     Buttons::Ok, Answer::Ok},
    {Msg::ConfirmDelete, Level::User, "Confirm Delete",
     "Are you sure you want to delete the highlighted record?", Buttons::YesNo, Answer::No},
    {Msg::LogoutFailed, Level::Notify, "Transaction cancelled",
     "Error: (%ErrorText) attempting to frame the transaction on %File.", Buttons::Ok, Answer::Ok},
    {Msg::RestrictDelete, Level::Notify, "Referential Integrity Delete Error",
     "This record is referenced from the file %File. This record cannot be deleted while these "
     "references exist.",
     Buttons::Ok, Answer::Ok},
    {Msg::DeleteFailed, Level::Notify, "Record was not deleted",
     "An error (%ErrorText) was experienced when deleting a record from the %File file.",
     Buttons::Ok, Answer::Ok},
    {Msg::RetryDelete, Level::User, "Record Delete Error",
     "An error was experienced deleting this record. Do you want to try to delete it again?",
     Buttons::YesNo, Answer::Yes},
    {Msg::RetryUpdate, Level::User, "Record Update Error",
     "An error was experienced changing this record. Do you want to try to save again?",
     Buttons::YesNo, Answer::Yes},
    {Msg::SaveRecord, Level::User, "Save Record", "Do you want to save the changes to this record?",
     Buttons::YesNoCancel, Answer::Cancel},
    {Msg::Stop, Level::User, "Stop", "%Message", Buttons::AbortIgnore, Answer::Ignore},
};

const Entry& entryOf(Msg id) {
  for (const Entry& e : kCatalogue)
    if (e.id == id) return e;
  std::abort();  // every Msg has an entry
}

void replaceAll(std::string& s, std::string_view what, std::string_view with) {
  for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + with.size()))
    s.replace(at, what.size(), with);
}

}  // namespace

MessageService::MessageService(Answerer& answerer)
    : answerer_(answerer), programEnd_([](int code) {
        std::fflush(nullptr);
        std::_Exit(code);
      }) {}

std::string MessageService::expand(std::string_view text, const MessageArgs& args) const {
  std::string s(text);
  // %Message first: a stop text may itself hold a "%" that must stay as it is.
  replaceAll(s, "%File", args.file);
  replaceAll(s, "%Field", args.field);
  replaceAll(s, "%Key", args.key);
  replaceAll(s, "%ErrorText", args.errorText);
  if (s.find("%Procedure") != std::string::npos)
    replaceAll(s, "%Procedure", procedureName_ ? procedureName_() : std::string());
  replaceAll(s, "%Message", args.message);
  return s;
}

Answer MessageService::show(Msg id, const MessageArgs& args) {
  const Entry& e = entryOf(id);
  ShownMessage m;
  m.number = static_cast<int>(id);
  m.level = e.level;
  m.title = e.title;
  // The "|" of the catalogue texts are line breaks; a "|" inside a placeholder value is text.
  std::string text;
  std::string_view raw = e.text;
  for (size_t start = 0;;) {
    size_t bar = raw.find('|', start);
    text += expand(raw.substr(start, bar == std::string_view::npos ? raw.npos : bar - start), args);
    if (bar == std::string_view::npos) break;
    text += '\n';
    start = bar + 1;
  }
  m.text = text;
  m.buttons = e.buttons;
  m.defaultAnswer = e.defaultAnswer;
  if (e.level == Level::Fatal) m.text += "  Press OK to end this application";
  Answer a = answerer_.ask(m);
  if (e.level == Level::Fatal) {
    programEnd_(3);
    return Answer::Ok;
  }
  return a;
}

Answer MessageService::stop(std::string_view text, const std::function<void()>& beforeEnd) {
  MessageArgs args;
  args.message = std::string(text);
  Answer a = show(Msg::Stop, args);
  if (a == Answer::Abort) {
    if (beforeEnd) beforeEnd();
    programEnd_(1);
  }
  return a;
}

Level MessageService::levelOf(Msg id, Answer answer) {
  const Entry& e = entryOf(id);
  if (e.level != Level::User) return e.level;
  return answer == Answer::Yes ? Level::Benign : Level::Cancel;
}

void MessageService::setProcedureNameSource(std::function<std::string()> source) {
  procedureName_ = std::move(source);
}

void MessageService::setProgramEnd(std::function<void(int)> end) {
  programEnd_ = std::move(end);
}

}  // namespace ormile::base
