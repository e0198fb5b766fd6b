// A stand-in 3D viewer for a running Skytapper:
//   viewer_probe [HOST] [SECONDS] [CODE[:HEX]...]
// Asks HOST (default 127.0.0.1) by discovery, connects, sends each CODE with its payload given
// in hex (little-endian as on the wire; "19:78000000" is the metronome at 120), and for SECONDS
// (default 10) prints every message the program sends, one line each, and once a second how
// many hit and markers packets came with the last markers. The ports are the program's own, or
// those SKYTAPPER_VIEWER_PORT_BASE moves them to. Exit status 1 when the program did not answer.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/viewer_probe.h"

namespace {

using skyt_test::ReadF32;
using skyt_test::ReadI32;

skyt_test::ProbePorts Ports() {
  const char* base = getenv("SKYTAPPER_VIEWER_PORT_BASE");
  const int p = base ? atoi(base) : 0;
  return p > 0 ? skyt_test::ProbePorts{p, p + 1, p + 2, p + 3} : skyt_test::ProbePorts{5314, 5315, 5316, 35847};
}

std::vector<unsigned char> Hex(const std::string& text) {
  std::vector<unsigned char> bytes;
  for (size_t i = 0; i + 1 < text.size(); i += 2)
    bytes.push_back(static_cast<unsigned char>(stoi(text.substr(i, 2), nullptr, 16)));
  return bytes;
}

void Print(const skyt_test::ServerMessage& m) {
  const auto& p = m.payload;
  printf("message %d (%zu bytes)", m.code, p.size());
  switch (m.code) {
    case 0: printf(": %d drums, user kit %d", ReadI32(p, 0), p[4]); break;
    case 1:
      printf(": drum %d type %d category %d at %g %g size %g foot_x %g", ReadI32(p, 0), p[4] | p[5] << 8,
             p[6] | p[7] << 8, ReadF32(p, 8), ReadF32(p, 12), ReadF32(p, 16), ReadF32(p, 20));
      break;
    case 3: printf(": drum %d at %g %g size %g", ReadI32(p, 0), ReadF32(p, 4), ReadF32(p, 8), ReadF32(p, 12)); break;
    case 4: printf(": drum %d pedal at %g %g", ReadI32(p, 0), ReadF32(p, 4), ReadF32(p, 8)); break;
    case 7:
    case 8: printf(": \"%s\"", skyt_test::ReadName(p).c_str()); break;
    case 9:
    case 10: printf(": %g", ReadF32(p, 0)); break;
    default: break;
  }
  printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  const char* host = argc > 1 ? argv[1] : "127.0.0.1";
  const int seconds = argc > 2 ? atoi(argv[2]) : 10;
  skyt_test::ViewerProbe probe(Ports(), [] { usleep(8000); }, host);
  const std::string reply = probe.Discover("SKYT", 125);
  printf("discovery: %s\n", reply.empty() ? "no answer" : reply.c_str());
  if (reply.empty() || !probe.Connect()) return 1;
  for (int i = 3; i < argc; ++i) {
    const std::string arg = argv[i];
    const size_t colon = arg.find(':');
    const std::vector<unsigned char> payload = colon == std::string::npos ? std::vector<unsigned char>{}
                                                                          : Hex(arg.substr(colon + 1));
    probe.Send(atoi(arg.c_str()), payload);
  }
  for (int second = 0; second < seconds && probe.Open(); ++second) {
    probe.Run(125);
    for (const skyt_test::ServerMessage& m : probe.TakeMessages()) Print(m);
    printf("packets: %zu hits, %zu markers", probe.hits.size(), probe.markers.size());
    if (!probe.markers.empty()) {
      const skyt_test::MarkersPacket& last = probe.markers.back();
      printf(", last #%u:", last.counter);
      for (float v : last.values) printf(" %g", v);
    }
    printf("\n");
    fflush(stdout);
  }
  printf("%s\n", probe.Open() ? "done" : "the program closed the connection");
  return 0;
}
