// The program's keyboard callback with the Super key held on an X server: Super-C, -V and -X
// reach the fields as copy, paste and cut, and Super-Q quits. Each key is pressed in a child
// process, so that a key that quits ends the child, never the test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "app/app.h"
#include "frame/platform/platform.h"
#include "frame/platform/spawn.h"
#include "render/imgui.h"

namespace {

constexpr int kQuits = -1;
constexpr int kWentOn = 5;

TEST(SuperKeys, SuperCVAndXAreCopyPasteAndCutAndSuperQQuits) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  SpawnAndWait({"xdotool", "keydown", "super"}, nullptr);
  ASSERT_TRUE(IsCmdPressed());
  const struct {
    unsigned char key;
    int queued;
  } rows[] = {{'c', 3}, {'v', 22}, {'x', 24}, {'q', kQuits}, {'Q', kQuits}};
  for (const auto& row : rows) {
    auto press = [&] {
      imgui.key_queue.clear();
      Keyboard(row.key, 0, 0);
      exit(imgui.key_queue == std::vector<int>{row.queued} ? kWentOn : kWentOn + 1);
    };
    EXPECT_EXIT(press(), testing::ExitedWithCode(row.queued == kQuits ? 0 : kWentOn), "") << row.key;
  }
  SpawnAndWait({"xdotool", "keyup", "super"}, nullptr);
}

}  // namespace
