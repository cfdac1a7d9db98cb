// Input that piles up while wubble-scope is busy (a long sound being made)
// must be taken one message per loop pass, in the order it came: a control's
// event is acted on before any later message reaches a control. The test
// stops the program, sends a burst, and lets it go on, so that the whole
// burst waits in its connection at once.
#include <gtest/gtest.h>

#include <signal.h>

#include <string>

#include "program_driver.h"

namespace {

TEST(InputBurst, PlusIsHandledBeforeTheDigitTypedAfterIt) {
  ProgramDriver driver;
  ASSERT_TRUE(driver.Start(WUBBLE_SCOPE_PROGRAM));
  ASSERT_TRUE(driver.Settle());
  ASSERT_EQ(kill(driver.pid(), SIGSTOP), 0);
  // "+" on 9837320, then the digit 6 typed at the end of the seed field.
  bool sent = driver.Xdotool({"mousemove", "--window", "WINDOW", "152", "11", "click", "--delay", "0", "1",
                              "mousemove", "--window", "WINDOW", "89", "11", "click", "--delay", "0", "1",
                              "key", "--delay", "1", "End", "6"});
  ASSERT_EQ(kill(driver.pid(), SIGCONT), 0);
  ASSERT_TRUE(sent);
  std::string code, seed;
  ASSERT_TRUE(driver.ReadField(97, 117, &code));
  ASSERT_TRUE(driver.ReadField(89, 11, &seed));
  // "+" makes 9837321 and writes it; the 6 then makes 98373216, kept as typed.
  // Taken as one batch, the 6 would land first and "+" would step from
  // 98373206.
  EXPECT_EQ(code, "CreateWubble(98373216,0,5,1)");
  EXPECT_EQ(seed, "98373216");
}

}  // namespace
