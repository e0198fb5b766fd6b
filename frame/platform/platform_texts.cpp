#include "frame/platform/platform_texts.h"

#include "frame/texts.h"

namespace platform {

std::string Text(int id, const char* english) {
  const char* t = GetUtf8(id);
  if (t && *t && std::string(t) != "???") return t;
  return english;
}

}  // namespace platform
