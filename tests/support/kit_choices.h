// Kit loads that only note the name asked for and fail, for the tests of what chooses a kit.
#pragma once
#include <string>
#include <vector>

namespace skyt_test {

// Clears Chosen() and puts a kit load into library_calls that adds the name asked for to it and
// fails (-1).
void RecordKitChoices();
// The kit names asked for since, in order.
std::vector<std::string>& Chosen();

}  // namespace skyt_test
