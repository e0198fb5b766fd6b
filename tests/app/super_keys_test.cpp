// The program's keyboard callback with the Super key held on an X server: Super-C, -V and -X
// reach the fields as copy, paste and cut.
#include <gtest/gtest.h>

#include <vector>

#include "app/app.h"
#include "frame/platform/platform.h"
#include "frame/platform/spawn.h"
#include "render/imgui.h"

namespace {

TEST(SuperKeys, SuperCVAndXAreCopyPasteAndCut) {
  SpawnAndWait({"xdotool", "keydown", "super"}, nullptr);
  ASSERT_TRUE(IsCmdPressed());
  imgui.key_queue.clear();
  for (unsigned char k : {'c', 'v', 'x'}) Keyboard(k, 0, 0);
  SpawnAndWait({"xdotool", "keyup", "super"}, nullptr);
  EXPECT_EQ(imgui.key_queue, (std::vector<int>{3, 22, 24}));
  imgui.key_queue.clear();
}

}  // namespace
