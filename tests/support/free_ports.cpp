#include "tests/support/free_ports.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

namespace skyt_test {
namespace {

// Binds a socket of the type to the port (0: any the kernel picks); the port bound, or -1.
int BindAndClose(int type, int port) {
  const int s = socket(AF_INET, type | SOCK_CLOEXEC, 0);
  if (s < 0) return -1;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_ANY);
  a.sin_port = htons(static_cast<uint16_t>(port));
  socklen_t len = sizeof a;
  int bound = -1;
  if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0)
    bound = ntohs(a.sin_port);
  close(s);
  return bound;
}

}  // namespace

int FreePorts(int count) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const int first = BindAndClose(SOCK_STREAM, 0);
    if (first < 0 || first + count > 65536) continue;
    bool free = true;
    for (int p = first; p < first + count && free; ++p)
      free = BindAndClose(SOCK_STREAM, p) == p && BindAndClose(SOCK_DGRAM, p) == p;
    if (free) return first;
  }
  abort();
}

}  // namespace skyt_test
