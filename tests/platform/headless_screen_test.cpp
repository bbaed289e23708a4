// The headless front end: input reaches the window's queue only where a user could give it,
// and a held message box blocks only the asking thread until the test answers.
#include <gtest/gtest.h>

#include <thread>

#include "platform/headless/headless_screen.h"

namespace ormile::platform {
namespace {

WindowDef twoButtons() {
  WindowDef w;
  w.procedure = "Probe";
  ControlDef ok;
  ok.label = "?OK";
  w.add(ok);
  ControlDef off = ok;
  off.label = "?Off";
  off.disabled = true;
  w.add(off);
  return w;
}

TEST(HeadlessScreen, InputGoesOnlyToOpenEnabledControlsOfAnEnabledWindow) {
  HeadlessScreen screen;
  EventQueue queue;
  WindowId w = screen.open(twoButtons(), queue);
  EXPECT_FALSE(screen.press(w, "?Off"));
  EXPECT_FALSE(screen.press(w, "?Missing"));
  WindowId nested = screen.open(twoButtons(), queue, w);
  EXPECT_FALSE(screen.press(w, "?OK"));  // disabled by the nested window
  EXPECT_TRUE(queue.empty());
  screen.close(nested);
  ASSERT_TRUE(screen.press(w, "?ok"));  // labels ignore case
  Event e = queue.take();
  EXPECT_EQ(e.kind, EventKind::Accepted);
  EXPECT_EQ(e.window, w);
  EXPECT_EQ(e.control, 1);
  screen.close(w);
  EXPECT_FALSE(screen.press(w, "?OK"));
}

TEST(HeadlessScreen, HeldAskBlocksItsThreadUntilAnsweredAndWaitIdleSeesThrough) {
  HeadlessScreen screen;
  EventQueue queue;
  WindowId w = screen.open(twoButtons(), queue);
  screen.holdAsks(true);
  std::atomic<int> answered{-1};
  std::thread procedure([&] {
    for (;;) {
      screen.idle(w);
      Event e = queue.take();
      if (e.kind == EventKind::CloseWindow) break;
      base::ShownMessage m;
      m.title = "Question";
      m.defaultAnswer = base::Answer::No;
      answered = int(screen.ask(w, m));
    }
  });
  ASSERT_TRUE(screen.press(w, "?OK"));
  ASSERT_TRUE(screen.waitFor([&] { return screen.count("Question") == 1; }));
  EXPECT_TRUE(screen.waitIdle());  // standing in a box counts as waiting for the user
  EXPECT_EQ(answered, -1);
  ASSERT_TRUE(screen.answer(base::Answer::Yes, "Question"));
  ASSERT_TRUE(screen.waitIdle());
  EXPECT_EQ(answered, int(base::Answer::Yes));
  screen.holdAsks(false);
  screen.answerNext("Question", base::Answer::Cancel);
  ASSERT_TRUE(screen.press(w, "?OK"));
  ASSERT_TRUE(screen.waitIdle());
  EXPECT_EQ(answered, int(base::Answer::Cancel));
  ASSERT_TRUE(screen.closeWindow(w));
  procedure.join();
}

}  // namespace
}  // namespace ormile::platform
