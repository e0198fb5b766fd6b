// The viewer link's sockets: discovery answers, every socket is gone after the clean-up; names
// for the viewer fit their field.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "airmenu/viewer_link.h"
#include "frame/platform/spawn.h"
#include "frame/utf8.h"
#include "tests/support/free_ports.h"
#include "tests/support/test_dirs.h"

namespace {

sockaddr_in Local(int port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(port);
  return a;
}

// Free ports of the test's own in place of the program's fixed ones.
void UseFreePorts() {
  const int first = skyt_test::FreePorts(4);
  viewer_ports = {first, first + 1, first + 2, first + 3};
}

// Sends a datagram to the discovery port and returns the reply ("" when none came).
std::string Ask(int s, const std::string& request) {
  sockaddr_in to = Local(viewer_ports.discovery);
  sendto(s, request.data(), request.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  for (int i = 0; i < 20; ++i) {
    UpdateDiscoveryServer();
    pollfd p{s, POLLIN, 0};
    if (poll(&p, 1, 5) > 0) {
      char buf[64];
      ssize_t n = recv(s, buf, sizeof buf, 0);
      return std::string(buf, n > 0 ? n : 0);
    }
  }
  return "";
}

// A socket of the type bound to the port on every address (a stream one listening), or -1.
int Hold(int type, int port) {
  const int s = socket(AF_INET, type, 0);
  sockaddr_in a = Local(port);
  a.sin_addr.s_addr = htonl(INADDR_ANY);
  if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && (type != SOCK_STREAM || listen(s, 1) == 0))
    return s;
  close(s);
  return -1;
}

bool Bindable(int type, int port) {
  const int s = Hold(type, port);
  if (s >= 0) close(s);
  return s >= 0;
}

// What a start that cannot have its ports did: the exit status it asked for, the commands it
// ran (its message boxes) and what it printed.
struct FailedStart {
  int status = 0;
  std::vector<std::vector<std::string>> boxes;
  std::string output;
};

FailedStart StartWithAPortTaken() {
  static int status;
  status = 0;
  FailedStart start;
  SetCommandRunner([&](const std::vector<std::string>& argv, const std::string*) {
    start.boxes.push_back(argv);
    return CommandResult{};
  });
  viewer_link_exit = [](int code) { status = code; };
  testing::internal::CaptureStdout();
  EXPECT_FALSE(InitSockets(nullptr, true));
  start.output = testing::internal::GetCapturedStdout();
  viewer_link_exit = exit;
  SetCommandRunner(nullptr);
  start.status = status;
  return start;
}

}  // namespace

TEST(ViewerLink, DiscoveryAnswersExactlyFourBytesOfSKYT) {
  // The clean-up saves the session into the working folder's settings.
  skyt_test::ScopedChdir in(skyt_test::FreshDir("viewer_link"));
  UseFreePorts();
  InitSockets(nullptr, true);
  InitDiscoveryServer();
  int s = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in me = Local(0);
  ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&me), sizeof me), 0);
  EXPECT_EQ(Ask(s, "SKYT"), "SKYT");
  EXPECT_EQ(Ask(s, "SKYTX"), "");
  EXPECT_EQ(Ask(s, "SKYX"), "");
  EXPECT_FALSE(IsClientConnected());
  // No viewer: the messages go nowhere and nothing breaks.
  SendMessage_HitDrum(3, 0.5f, 1);
  SendMessage_Markers(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0.5f);
  close(s);

  CleanUpDiscoveryServer();
  CleanUpSockets();
  EXPECT_TRUE(Bindable(SOCK_STREAM, viewer_ports.server));
  EXPECT_TRUE(Bindable(SOCK_DGRAM, viewer_ports.udp));
  EXPECT_TRUE(Bindable(SOCK_DGRAM, viewer_ports.discovery));
}

// The start ends with a failure status and tells a player without a terminal why, naming the port.
TEST(ViewerLink, ABusyServerPortEndsTheStartWithAMessageBox) {
  UseFreePorts();
  const int s = Hold(SOCK_STREAM, viewer_ports.server);
  ASSERT_GE(s, 0);
  const FailedStart start = StartWithAPortTaken();
  close(s);
  EXPECT_EQ(start.status, 1);
  ASSERT_EQ(start.boxes.size(), 1u);
  EXPECT_EQ(start.boxes[0][0], "zenity");
  const std::string port = std::to_string(viewer_ports.server);
  bool named = false;
  for (const std::string& arg : start.boxes[0])
    named = named || (arg.rfind("--text=", 0) == 0 && arg.find(port) != std::string::npos);
  EXPECT_TRUE(named) << port;
  EXPECT_NE(start.output.find("Error: Skytapper cannot start"), std::string::npos) << start.output;
}

// A busy UDP port ends the start too, naming that port, with the server's port let go.
TEST(ViewerLink, ABusyUdpPortEndsTheStartAndFreesTheServerPort) {
  UseFreePorts();
  const int s = Hold(SOCK_DGRAM, viewer_ports.udp);
  ASSERT_GE(s, 0);
  const FailedStart start = StartWithAPortTaken();
  close(s);
  EXPECT_EQ(start.status, 1);
  std::string text;
  for (const std::vector<std::string>& box : start.boxes)
    for (const std::string& arg : box) text += arg;
  EXPECT_NE(text.find(std::to_string(viewer_ports.udp)), std::string::npos) << text;
  EXPECT_TRUE(Bindable(SOCK_STREAM, viewer_ports.server));
}

// The fixed ports are the ones a viewer looks for: TCP, the two packet ports and discovery.
TEST(ViewerLink, TheFixedPortsAreTheOnesAViewerExpects) {
  const ViewerPorts fixed;
  EXPECT_EQ((std::vector<int>{fixed.server, fixed.udp, fixed.client_udp, fixed.discovery}),
            (std::vector<int>{5314, 5315, 5316, 35847}));
}

// SKYTAPPER_VIEWER_PORT_BASE moves the four ports unless it is not a port whose three
// followers are ports too.
TEST(ViewerLink, PortBaseFromTheEnvironment) {
  skyt_test::ScopedChdir in(skyt_test::FreshDir("viewer_port_base"));
  const int free = skyt_test::FreePorts(4);
  const struct {
    std::string base;
    bool taken;
  } cases[] = {{std::to_string(free), true}, {"65533", false}, {"0", false}, {std::to_string(free) + "x", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.base);
    UseFreePorts();
    const int before = viewer_ports.server;
    setenv("SKYTAPPER_VIEWER_PORT_BASE", c.base.c_str(), 1);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(InitSockets(nullptr, true));
    testing::internal::GetCapturedStdout();
    unsetenv("SKYTAPPER_VIEWER_PORT_BASE");
    CleanUpSockets();
    EXPECT_EQ(viewer_ports.server, c.taken ? free : before);
    EXPECT_EQ(viewer_ports.client_udp, viewer_ports.server + 2);
  }
}

TEST(ViewerLink, NamesFitTheirFieldAsWholeCharacters) {
  std::string cjk;
  for (int i = 0; i < 40; ++i) cjk += "\xE6\xBC\xA2";  // U+6F22, three bytes each
  struct Case { std::string name; std::string kept; };
  const Case cases[] = {{"Rock", "Rock"}, {"", ""}, {cjk, ""}, {std::string(100, 'a'), ""},
                        {"songs/" + std::string(20, 'x') + "\xF0\x9F\xA5\x81.mp3", ""},
                        // shortened to 63 bytes of whole characters, one byte short of the field
                        {cjk.substr(0, 42) + "-middle-" + cjk.substr(0, 18) + "abcdefgh",
                         cjk.substr(0, 42) + "..." + cjk.substr(0, 18)}};
  for (const Case& c : cases) {
    unsigned char field[kNameFieldSize];
    memset(field, 0xAA, sizeof field);
    EncodeName(field, c.name.c_str());
    const size_t n = strnlen(reinterpret_cast<const char*>(field), sizeof field);
    ASSERT_LE(n, 63u) << c.name;
    for (size_t i = n; i < sizeof field; ++i) EXPECT_EQ(field[i], 0) << c.name;
    const char* text = reinterpret_cast<const char*>(field);
    for (size_t at = 0; at < n;) {
      unsigned int ch;
      const int len = CharFromUtf8(&ch, text + at, text + n);
      ASSERT_GT(len, 0) << c.name << " at " << at;
      at += size_t(len);
    }
    if (!c.kept.empty()) {
      EXPECT_EQ(std::string(text, n), c.kept);
    }
    if (c.name.size() > 63) {
      EXPECT_NE(std::string(text, n).find("..."), std::string::npos) << c.name;
    }
  }
}
