// The viewer link's sockets. The server, UDP and discovery sockets are opened and closed here
// and discovery requests are answered; accepting a viewer and the messages are a stand-in
// until the viewer link's messages are written: no viewer is ever accepted, so nothing is
// sent and IsClientConnected stays false.
#include "airmenu/viewer_link.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "drumming/drummer.h"
#include "drumming/viewer_calls.h"

ViewerPorts viewer_ports;

namespace {

int server_socket = -1;
int client_socket = -1;
int udp_socket = -1;
int discovery_server_socket = -1;

void CloseSocket(int& s) {
  if (s != -1) close(s);
  s = -1;
}

void CloseClient() {
  if (client_socket != -1) shutdown(client_socket, SHUT_WR);
  CloseSocket(client_socket);
}

// A socket bound to any address on the port, or -1 with the failing step's message printed.
int OpenBound(int type, int port, const char* create_msg, const char* reuse_msg, const char* bind_msg) {
  // Close-on-exec: helper programs (xclip stays running) must never keep the ports bound.
  int s = socket(AF_INET, type | SOCK_CLOEXEC, 0);
  if (s < 0) {
    printf("%s\n", create_msg);
    return -1;
  }
  int one = 1;
  if (setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0) {
    printf("%s\n", reuse_msg);
    close(s);
    return -1;
  }
  sockaddr_in addr;
  memset(&addr, 0, sizeof addr);
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_ANY);
  addr.sin_port = htons(static_cast<uint16_t>(port));
  if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    printf("%s\n", bind_msg);
    close(s);
    return -1;
  }
  return s;
}

bool InitServer() {
  server_socket = OpenBound(SOCK_STREAM, viewer_ports.server, "Failed to create socket!",
                            "Failed to set re-use address socket option!", "Failed to bind socket!");
  if (server_socket < 0) {
    CloseClient();
    return false;
  }
  if (listen(server_socket, 1) != 0) {
    printf("Failed to listen on socket!\n");
    CloseClient();
    CloseSocket(server_socket);
    return false;
  }
  return true;
}

bool InitUdp() {
  udp_socket = OpenBound(SOCK_DGRAM | SOCK_NONBLOCK, viewer_ports.udp, "Failed to create UDP socket!",
                         "Failed to set re-use address UDP socket option!", "Failed to bind UDP socket!");
  return udp_socket >= 0;
}

// SKYTAPPER_VIEWER_PORT_BASE=p puts the ports at p .. p + 3 (see viewer_link.h).
void PortsFromEnvironment() {
  const char* base = getenv("SKYTAPPER_VIEWER_PORT_BASE");
  if (!base) return;
  char* end = nullptr;
  const long p = strtol(base, &end, 10);
  if (end == base || *end != '\0' || p < 1 || p > 65532) {
    printf("Warning: SKYTAPPER_VIEWER_PORT_BASE = \"%s\" is not a port, using %d\n", base, viewer_ports.server);
    return;
  }
  const int first = static_cast<int>(p);
  viewer_ports = {first, first + 1, first + 2, first + 3};
}

}  // namespace

bool InitSockets(const char*, bool) {
  PortsFromEnvironment();
  // Another running copy holds the ports: the program cannot work, and says so with a
  // failure status.
  if (!InitServer()) {
    printf("Could not initialize server.\n");
    fflush(stdout);
    exit(1);
  }
  if (!InitUdp()) {
    CloseClient();
    CloseSocket(server_socket);
    printf("Could not initialize UDP.\n");
    fflush(stdout);
    exit(1);
  }
  return true;
}

void InitDiscoveryServer() {
  discovery_server_socket =
      OpenBound(SOCK_DGRAM | SOCK_NONBLOCK, viewer_ports.discovery, "Failed to create discovery server socket!",
                "Failed to set re-use address discovery socket option!", "Failed to bind discovery server socket!");
}

void UpdateDiscoveryServer() {
  if (client_socket != -1 || discovery_server_socket == -1) return;
  char buf[256];
  sockaddr_in from;
  socklen_t from_len = sizeof from;
  ssize_t n = recvfrom(discovery_server_socket, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &from_len);
  if (n == 4 && memcmp(buf, "SKYT", 4) == 0)
    sendto(discovery_server_socket, buf, 4, 0, reinterpret_cast<sockaddr*>(&from), from_len);
}

// Stand-in until the viewer link's messages are written: no viewer is accepted.
void UpdateSockets() {}

bool IsClientConnected() { return client_socket != -1; }

void CleanUpDiscoveryServer() { CloseSocket(discovery_server_socket); }

void CleanUpSockets() {
  CloseSocket(udp_socket);
  CloseClient();
  CloseSocket(server_socket);
  drummer.SaveLastSession();
}

// Stand-ins until the viewer link's messages are written: with no viewer ever connected,
// nothing is sent or kept.
void SendMessage_HitDrum(int, float, unsigned char) {}
void SendMessage_Markers(float, float, float, float, float, float, float, float, float, float, float) {}
void SendMessage_BeginDrumkit(int, bool) {}
void SendMessage_AddDrum(int, const Drumkit::Drum&) {}
void SendMessage_EndDrumkit() {}
void SendMessage_SongName() {}

void InstallViewerCalls() {
  viewer_calls = {IsClientConnected,        SendMessage_HitDrum, SendMessage_Markers,
                  SendMessage_BeginDrumkit, SendMessage_AddDrum, SendMessage_EndDrumkit,
                  SendMessage_SongName};
}
