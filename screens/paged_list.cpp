// Paged choice lists of the audio and MIDI screens.
#include "screens/paged_list.h"

#include <iterator>

#include "frame/texts.h"
#include "render/imgui.h"

int NumPages(int count, int per_page) { return (count + per_page - 1) / per_page; }

int PageOf(const std::map<int, std::string>& names, int key, int per_page) {
  auto it = names.find(key);
  return it == names.end() ? 0 : static_cast<int>(std::distance(names.begin(), it)) / per_page;
}

void DoPageButtons(int id_previous, int id_next, int y, int& page, int pages) {
  if (pages < 2) return;
  if (page == 0) {
    imgui.DoButtonGreyed(88, y, 124, 35, GetUtf8(kTextPrevious));
  } else if (imgui.DoButton(id_previous, 88, y, 124, 35, GetUtf8(kTextPrevious))) {
    --page;
  }
  if (page >= pages - 1) {
    imgui.DoButtonGreyed(233, y, 104, 35, GetUtf8(kTextNext));
  } else if (imgui.DoButton(id_next, 233, y, 104, 35, GetUtf8(kTextNext))) {
    ++page;
  }
}

int DoPagedChoices(int id, int top_y, const std::map<int, std::string>& names, int page,
                   int per_page, int& chosen, bool greyed) {
  const size_t first = static_cast<size_t>(page) * static_cast<size_t>(per_page);
  if (first >= names.size()) return 0;
  auto it = std::next(names.begin(), static_cast<std::ptrdiff_t>(first));
  int shown = 0;
  for (; it != names.end() && shown < per_page; ++it, ++shown) {
    const int y = top_y - 30 * shown;
    const bool ticked = it->first == chosen;
    if (greyed) {
      imgui.DoCheckBoxGreyed(88, y, it->second.c_str(), ticked);
    } else if (imgui.DoCheckBox(id + shown, 88, y, it->second.c_str(), ticked, true)) {
      chosen = it->first;
    }
  }
  return shown;
}
