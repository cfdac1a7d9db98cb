// Every window test process gets an X server and a window manager of its
// own, and plays sound to OpenAL's null output so the play position moves
// without a sound card.
#include <gtest/gtest.h>

#include <cstdlib>

#include "x_session.h"

namespace {

class XSessionEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    setenv("ALSOFT_DRIVERS", "null", 1);
    StartXSession();
  }
  void TearDown() override { StopXSession(); }
};

}  // namespace

int main(int argc, char **argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new XSessionEnvironment);
  return RUN_ALL_TESTS();
}
