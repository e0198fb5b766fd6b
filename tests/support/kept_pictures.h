// How a screen or page looked when its drawing was last looked at and approved, kept under
// tests/pictures/ to see any later change in it. A kept picture is a quarter of the window's
// size each way, each of its pixels the mean of a 4x4 block: small enough to keep beside the
// tests, still changed by a line one pixel wide, a shifted edge or a letter.
// After a change meant to alter how things look, look at the pictures the failing tests name
// and keep the new ones with
//   SKYTAPPER_KEEP_PICTURES=1 bash tools/test.sh
#pragma once
#include <string>

#include "tests/support/gl_fixture.h"

namespace skyt_test {

// "" when the context's colour buffer matches tests/pictures/<name>.png, or a line saying how
// it differs (the picture drawn now is then written to the test's scratch folder, named in the
// line). With SKYTAPPER_KEEP_PICTURES set, the picture is kept anew instead.
std::string DiffersFromKeptPicture(const GlContext& gl, const std::string& name);

}  // namespace skyt_test
