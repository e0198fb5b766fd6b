// The viewer link's transport: the sockets, discovery, accepting a viewer, the send queue,
// the TCP stream's framing, the UDP packets both ways and losing the viewer.
#include "airmenu/viewer_link.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "drumming/drummer.h"
#include "drumming/viewer_calls.h"
#include "frame/platform/platform.h"
#include "frame/texts.h"
#include "sound/sound.h"

ViewerPorts viewer_ports;
void (*viewer_link_exit)(int status) = exit;

namespace {

constexpr size_t kMaxQueuedBytes = 1 << 20;  // a viewer that stops reading loses messages, not memory
constexpr int kMaxDatagramsPerFrame = 64;    // a flood of packets cannot hold up the frame
constexpr int kDrumsVolumeWithoutViewer = 70;

int server_socket = -1;
int client_socket = -1;
int udp_socket = -1;
int discovery_server_socket = -1;

uint32_t client_address = 0;  // the viewer's IPv4 address, host order
std::vector<unsigned char> send_vec;
MessageParser parser;
uint32_t last_sent_hit_drum_packet_idx = 1;
uint32_t last_sent_markers_packet_idx = 1;
uint32_t last_recv_oculus_packet_idx = 0;

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
  // Non-blocking: a viewer that gives up between poll and accept must not stall the frame.
  server_socket = OpenBound(SOCK_STREAM | SOCK_NONBLOCK, viewer_ports.server, "Failed to create socket!",
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

// True when the socket is ready for the events now (errors and hang-ups count as ready, so
// the next call sees them).
bool Ready(int s, short events) {
  pollfd p{s, events, 0};
  return poll(&p, 1, 0) > 0 && (p.revents & (events | POLLERR | POLLHUP)) != 0;
}

bool WouldBlock() { return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR; }

sockaddr_in ViewerPacketAddress() {
  sockaddr_in to;
  memset(&to, 0, sizeof to);
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = htonl(client_address);
  to.sin_port = htons(static_cast<uint16_t>(viewer_ports.client_udp));
  return to;
}

bool FromViewer(const sockaddr_in& from) {
  return ntohl(from.sin_addr.s_addr) == client_address && ntohs(from.sin_port) == viewer_ports.client_udp;
}

// One waiting datagram into buf (its whole length returned, even when longer than buf); -1
// when none waits.
long ReceiveDatagram(unsigned char* buf, size_t size, sockaddr_in& from) {
  socklen_t len = sizeof from;
  return recvfrom(udp_socket, buf, size, MSG_DONTWAIT | MSG_TRUNC, reinterpret_cast<sockaddr*>(&from), &len);
}

// Drops what the viewer sent before it connected, up to the first datagram from anyone else.
void FlushUdp() {
  unsigned char buf[sizeof(OculusPacket)];
  sockaddr_in from;
  for (int i = 0; i < kMaxDatagramsPerFrame; ++i)
    if (ReceiveDatagram(buf, sizeof buf, from) < 0 || !FromViewer(from)) return;
}

bool CheckForClient() {
  if (server_socket == -1 || !Ready(server_socket, POLLIN)) return false;
  sockaddr_in peer;
  socklen_t len = sizeof peer;
  const int s = accept4(server_socket, reinterpret_cast<sockaddr*>(&peer), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (s < 0) return false;
  int one = 1;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  client_socket = s;
  send_vec.clear();
  parser.Reset();
  client_address = ntohl(peer.sin_addr.s_addr);
  FlushUdp();
  last_sent_hit_drum_packet_idx = 1;
  last_sent_markers_packet_idx = 1;
  last_recv_oculus_packet_idx = 0;
  return true;
}

// One send of the queue; what did not go stays for the next frame.
void WriteData() {
  if (client_socket == -1 || send_vec.empty() || !Ready(client_socket, POLLOUT)) return;
  const ssize_t n = send(client_socket, send_vec.data(), send_vec.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  if (n < 0) {
    if (!WouldBlock()) CloseSocket(client_socket);
    return;
  }
  send_vec.erase(send_vec.begin(), send_vec.begin() + n);
}

// One recv of at most 1024 bytes, every message it completes handled in order.
void ReadData() {
  if (client_socket == -1 || !Ready(client_socket, POLLIN)) return;
  unsigned char buf[1024];
  const ssize_t n = recv(client_socket, buf, sizeof buf, MSG_DONTWAIT);
  if (n < 0 && WouldBlock()) return;
  if (n <= 0) {
    CloseSocket(client_socket);
    return;
  }
  parser.Feed(buf, size_t(n), HandleMessage);
  EndOfViewerMessages();
}

// Head poses from the viewer's packet port; the first datagram from anyone else ends the
// frame's reading.
void UpdateUdp() {
  unsigned char buf[sizeof(OculusPacket) + 1];
  sockaddr_in from;
  for (int i = 0; i < kMaxDatagramsPerFrame; ++i) {
    const long n = ReceiveDatagram(buf, sizeof buf, from);
    if (n < 0 || !FromViewer(from)) return;
    OculusPacket packet;
    if (ReadHeadPose(buf, n, last_recv_oculus_packet_idx, packet)) SetOculusPanning(packet);
  }
}

// The viewer is gone: every drum back to its place's pan, the drums at their usual volume.
void LoseViewer() {
  drumkit.SetPan(!drummer.Is_Left_Handed, -1);
  sound.SetDrumsVolume(kDrumsVolumeWithoutViewer);
}

void SendPacket(const unsigned char* data, size_t length) {
  if (client_socket == -1 || udp_socket == -1) return;
  const sockaddr_in to = ViewerPacketAddress();
  sendto(udp_socket, data, length, MSG_DONTWAIT | MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to), sizeof to);
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

// Another running copy holds the ports: the program cannot work, and says why on the terminal
// and in a message box (a player who started it from the desktop sees no terminal), then ends
// with a failure status.
void EndForABusyPort(const char* what, int port) {
  printf("%s\n", what);
  char reason[1024];
  snprintf(reason, sizeof reason, GetUtf8(kTextSkytapperCannotStart), port);
  printf("Error: %s\n", reason);
  fflush(stdout);
  MessageBox(reason, false, true);
  viewer_link_exit(1);
}

}  // namespace

bool InitSockets(const char*, bool) {
  PortsFromEnvironment();
  if (!InitServer()) {
    EndForABusyPort("Could not initialize server.", viewer_ports.server);
    return false;
  }
  if (!InitUdp()) {
    CloseClient();
    CloseSocket(server_socket);
    EndForABusyPort("Could not initialize UDP.", viewer_ports.udp);
    return false;
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
  ssize_t n =
      recvfrom(discovery_server_socket, buf, sizeof buf, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &from_len);
  if (n == 4 && memcmp(buf, "SKYT", 4) == 0)
    sendto(discovery_server_socket, buf, 4, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), from_len);
}

void UpdateSockets() {
  if (client_socket == -1) {
    if (!CheckForClient()) return;
    SendConnectSequence();
  }
  WriteData();
  ReadData();
  if (client_socket == -1)
    LoseViewer();
  else
    UpdateUdp();
}

bool IsClientConnected() { return client_socket != -1; }

void QueueMessage(MessageType code, const unsigned char* payload) {
  const size_t size = size_t(GetMessageSize(code));
  if (client_socket == -1 || send_vec.size() + 1 + size > kMaxQueuedBytes) return;
  send_vec.push_back(code);
  send_vec.insert(send_vec.end(), payload, payload + size);
}

void SendMessage_HitDrum(int drum, float volume, unsigned char limb) {
  unsigned char packet[kHitPacketSize];
  EncodeHitPacket(packet, last_sent_hit_drum_packet_idx++, drum, volume, limb);
  SendPacket(packet, sizeof packet);
}

void SendMessage_Markers(float left_x, float left_y, float left_radius, float right_x, float right_y,
                         float right_radius, float left_foot_x, float left_foot_y, float right_foot_x,
                         float right_foot_y, float hihat_openness) {
  const float values[kMarkerValues] = {left_x,      left_y,      left_radius,  right_x,
                                       right_y,     right_radius, left_foot_x, left_foot_y,
                                       right_foot_x, right_foot_y, hihat_openness};
  unsigned char packet[kMarkersPacketSize];
  EncodeMarkersPacket(packet, last_sent_markers_packet_idx++, values);
  SendPacket(packet, sizeof packet);
}

void CleanUpDiscoveryServer() { CloseSocket(discovery_server_socket); }

void CleanUpSockets() {
  CloseSocket(udp_socket);
  CloseClient();
  CloseSocket(server_socket);
  drummer.SaveLastSession();
}

void InstallViewerCalls() {
  viewer_calls = {
      .is_connected = IsClientConnected,
      .hit_drum = SendMessage_HitDrum,
      .markers = SendMessage_Markers,
      .begin_drumkit = SendMessage_BeginDrumkit,
      .add_drum = SendMessage_AddDrum,
      .end_drumkit = SendMessage_EndDrumkit,
      .song_name = SendMessage_SongName,
  };
}
