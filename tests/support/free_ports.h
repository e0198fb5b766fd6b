// Ports the kernel reports free, for tests that must never take the program's fixed ports.
#pragma once

namespace skyt_test {

// The first of `count` consecutive ports that are free for both TCP and UDP at the time of
// the call (the kernel picks where to look).
int FreePorts(int count);

}  // namespace skyt_test
