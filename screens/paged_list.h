// Paging of the device and port lists of the audio and MIDI screens.
#pragma once
#include <map>
#include <string>

// The number of pages of per_page entries that count entries fill.
int NumPages(int count, int per_page);
// The page (of per_page entries in key order) that holds key; 0 when it is not a key.
int PageOf(const std::map<int, std::string>& names, int key, int per_page);
// Previous (x 88) and Next (x 233) at y under a list of `pages` pages, greyed at the ends;
// nothing with fewer than two pages. A click moves `page` by one.
void DoPageButtons(int id_previous, int id_next, int y, int& page, int pages);
// The ticked-one-of list of page `page`: entries from x 88, y top_y down 30 pixels each, ids
// id, id + 1, ...; a click makes the entry's key `chosen`. Returns how many were drawn.
int DoPagedChoices(int id, int top_y, const std::map<int, std::string>& names, int page,
                   int per_page, int& chosen, bool greyed);
