#include <gtest/gtest.h>

#include "drawing_scale.h"

namespace {

// The setting wins when it is 1 to 4; a bad one gives 1 and is flagged;
// without one, Xft.dpi gives a step per 96, rounded down, at least 1.
TEST(ChooseScale, SettingElseDpiElseOne) {
  struct Case {
    const char *setting;
    const char *dpi;
    int32_t scale;
    bool bad;
  };
  const Case cases[] = {
      {"1", "192", 1, false}, {"2", nullptr, 2, false}, {"4", nullptr, 4, false},
      {"03", nullptr, 3, false}, {"0", "192", 1, true}, {"5", nullptr, 1, true},
      {"-2", nullptr, 1, true}, {"2x", nullptr, 1, true}, {" 2", nullptr, 1, true},
      {"99999999999", nullptr, 1, true}, {"", "192", 2, false}, {nullptr, "192", 2, false},
      {nullptr, "191.9", 1, false}, {nullptr, "288", 3, false}, {nullptr, "96", 1, false},
      {nullptr, "48", 1, false}, {nullptr, "-500", 1, false}, {nullptr, "high", 1, false},
      {nullptr, "1e300", 64, false}, {nullptr, "nan", 1, false}, {nullptr, nullptr, 1, false},
  };
  for (const Case &c : cases) {
    bool bad = !c.bad;
    EXPECT_EQ(ChooseScale(c.setting, c.dpi, &bad), c.scale)
        << (c.setting ? c.setting : "(unset)") << " " << (c.dpi ? c.dpi : "(none)");
    EXPECT_EQ(bad, c.bad) << (c.setting ? c.setting : "(unset)");
  }
}

}  // namespace
