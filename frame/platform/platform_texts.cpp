#include "frame/platform/platform_texts.h"

// The text table (frame/texts.h) is not in the tree yet: until it is, the English texts are
// shown. Switch this on when it lands.
#define SKYT_WITH_TEXT_TABLE 0
#if SKYT_WITH_TEXT_TABLE
#include "frame/texts.h"
#endif

namespace platform {

std::string Text(int id, const char* english) {
#if SKYT_WITH_TEXT_TABLE
  const char* t = GetUtf8(id);
  if (t && *t) return t;
#endif
  (void)id;
  return english;
}

}  // namespace platform
