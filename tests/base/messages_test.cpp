#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace ormile::base {
namespace {

TEST(Messages, PlaceholdersAndBarsBecomeTheShownText) {
  test::RecordingAnswerer answers;
  MessageService service(answers);
  MessageArgs args;
  args.file = "X";
  args.errorText = "Access Denied";
  service.show(Msg::AddFailed, args);
  ASSERT_EQ(answers.shown().size(), 1u);
  const auto shown = answers.shown();
  const ShownMessage& m = shown[0];
  EXPECT_EQ(m.title, "Record Insert Error");
  EXPECT_EQ(m.text,
            "An error was experienced during the creation of a record.\nFile: X\nError: Access "
            "Denied.");
  EXPECT_EQ(m.number, int(Msg::AddFailed));
}

TEST(Messages, ValuesAreNotExpandedAgain) {
  test::RecordingAnswerer answers;
  MessageService service(answers);
  MessageArgs args;
  args.message = "a|b %File";  // a "|" or placeholder inside a value is text
  args.file = "X";
  service.stop(args.message);
  EXPECT_EQ(answers.shown()[0].text, "a|b %File");
}

TEST(Messages, ProcedureNameComesFromItsSource) {
  test::RecordingAnswerer answers;
  MessageService service(answers);
  service.setProcedureNameSource([] { return std::string("BrowseSQLParts"); });
  EXPECT_EQ(service.expand("in %Procedure", {}), "in BrowseSQLParts");
}

TEST(Messages, FatalMessageEndsTheProgramAfterItsText) {
  test::RecordingAnswerer answers;
  MessageService service(answers);
  int ended = -1;
  service.setProgramEnd([&](int code) { ended = code; });
  MessageArgs args;
  args.file = "X";
  args.errorText = "Invalid Data File";
  service.show(Msg::OpenFailed, args);
  EXPECT_EQ(answers.shown()[0].text,
            "File X could not be opened.  Error: Invalid Data File.  Press OK to end this "
            "application");
  EXPECT_NE(ended, -1);
}

TEST(Messages, StopAbortRunsTheCommitBeforeTheEnd) {
  test::RecordingAnswerer answers;
  MessageService service(answers);
  std::vector<std::string> order;
  service.setProgramEnd([&](int) { order.push_back("end"); });
  answers.answerNext("Stop", Answer::Abort);
  service.stop("Creates Duplicate Key", [&] { order.push_back("commit"); });
  EXPECT_EQ(order, (std::vector<std::string>{"commit", "end"}));
  EXPECT_EQ(answers.shown()[0].buttons, Buttons::AbortIgnore);
  order.clear();
  EXPECT_EQ(service.stop("again", [&] { order.push_back("commit"); }), Answer::Ignore);
  EXPECT_TRUE(order.empty());
}

TEST(Messages, QuestionLevels) {
  EXPECT_EQ(MessageService::levelOf(Msg::ConfirmDelete, Answer::Yes), Level::Benign);
  EXPECT_EQ(MessageService::levelOf(Msg::ConfirmDelete, Answer::No), Level::Cancel);
  EXPECT_EQ(MessageService::levelOf(Msg::OpenFailed, Answer::Ok), Level::Fatal);
  EXPECT_EQ(MessageService::levelOf(Msg::DuplicateKey, Answer::Ok), Level::Notify);
}

}  // namespace
}  // namespace ormile::base
