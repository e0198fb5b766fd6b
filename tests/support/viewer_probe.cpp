#include "tests/support/viewer_probe.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "airmenu/viewer_protocol.h"

namespace skyt_test {
namespace {

// Payload sizes of codes 0-31 as the link describes them.
constexpr int kSizes[32] = {8, 24, 0, 16, 12, 12, 44, 64, 64, 4, 4, 0, 28, 0, 0, 0,
                            0, 0,  0, 4,  0,  0,  0,  2,  0,  0, 0, 16, 12, 0, 4, 4};

sockaddr_in Address(const std::string& host, int port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, host.c_str(), &a.sin_addr);
  return a;
}

int UdpOn(int port, const std::string& address = "0.0.0.0") {
  const int s = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  sockaddr_in a = Address(address, port);
  int one = 1;
  setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    close(s);
    return -1;
  }
  return s;
}

void Close(int& s) {
  if (s != -1) close(s);
  s = -1;
}

}  // namespace

int ProbeMessageSize(int code) { return code >= 0 && code < 32 ? kSizes[code] : 0; }

std::vector<unsigned char> I32(int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  return {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8), static_cast<unsigned char>(u >> 16),
          static_cast<unsigned char>(u >> 24)};
}

std::vector<unsigned char> F32(float v) {
  uint32_t bits;
  memcpy(&bits, &v, 4);
  return I32(static_cast<int32_t>(bits));
}

std::vector<unsigned char> operator+(std::vector<unsigned char> a, const std::vector<unsigned char>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

int32_t ReadI32(const std::vector<unsigned char>& bytes, size_t at) {
  return at + 4 <= bytes.size() ? static_cast<int32_t>(GetU32(bytes.data() + at)) : 0;
}

float ReadF32(const std::vector<unsigned char>& bytes, size_t at) {
  return at + 4 <= bytes.size() ? GetF32(bytes.data() + at) : 0.0f;
}

std::string ReadName(const std::vector<unsigned char>& payload) {
  const auto end = std::find(payload.begin(), payload.end(), 0);
  return std::string(payload.begin(), end);
}

ViewerProbe::ViewerProbe(ProbePorts ports, std::function<void()> pump, const char* host, const char* own_address)
    : ports_(ports), pump_(std::move(pump)), host_(host), own_(own_address) {}

ViewerProbe::~ViewerProbe() {
  Close(tcp_);
  Close(udp_);
  Close(other_udp_);
}

std::string ViewerProbe::Discover(const std::string& request, int frames) {
  int s = UdpOn(0);
  const sockaddr_in to = Address(host_, ports_.discovery);
  sendto(s, request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  std::string reply;
  for (int i = 0; i < frames && reply.empty(); ++i) {
    pump_();
    char buf[64];
    const ssize_t n = recv(s, buf, sizeof buf, MSG_DONTWAIT);
    if (n > 0) reply.assign(buf, size_t(n));
  }
  Close(s);
  return reply;
}

bool ViewerProbe::Connect() {
  if (udp_ == -1) udp_ = UdpOn(ports_.client_udp, own_);
  if (other_udp_ == -1) other_udp_ = UdpOn(0, own_);
  Close(tcp_);
  stream_.clear();
  tcp_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const sockaddr_in from = Address(own_, 0);
  const sockaddr_in to = Address(host_, ports_.server);
  if (udp_ == -1 || bind(tcp_, reinterpret_cast<const sockaddr*>(&from), sizeof from) != 0 ||
      connect(tcp_, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
    Close(tcp_);
    return false;
  }
  int one = 1;
  setsockopt(tcp_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  Run(1);
  return true;
}

void ViewerProbe::Send(int code, const std::vector<unsigned char>& payload) {
  SendBytes(std::vector<unsigned char>{static_cast<unsigned char>(code)} + payload);
}

void ViewerProbe::SendBytes(const std::vector<unsigned char>& bytes) {
  if (tcp_ != -1) send(tcp_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

void ViewerProbe::SendHeadPose(uint32_t counter, float p8, float p12, size_t length, bool from_other_port) {
  std::vector<unsigned char> packet = std::vector<unsigned char>{'S', 'K', 'Y', '2'} +
                                      I32(static_cast<int32_t>(counter)) + F32(p8) + F32(p12);
  packet.resize(length);
  const sockaddr_in to = Address(host_, ports_.udp);
  sendto(from_other_port ? other_udp_ : udp_, packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&to),
         sizeof to);
}

void ViewerProbe::Run(int frames) {
  for (int i = 0; i < frames; ++i) {
    pump_();
    Collect();
  }
}

std::vector<ServerMessage> ViewerProbe::TakeMessages() { return std::move(messages_); }

void ViewerProbe::Kill() {
  Close(tcp_);
  Close(udp_);
}

void ViewerProbe::Collect() {
  unsigned char buf[4096];
  // Give the loopback a moment to carry what the pump sent.
  pollfd p[2] = {{tcp_, POLLIN, 0}, {udp_, POLLIN, 0}};
  poll(p, 2, 2);
  while (tcp_ != -1) {
    const ssize_t n = recv(tcp_, buf, sizeof buf, MSG_DONTWAIT);
    if (n > 0) {
      Decode(buf, size_t(n));
      continue;
    }
    if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) Close(tcp_);
    break;
  }
  for (ssize_t n; udp_ != -1 && (n = recv(udp_, buf, sizeof buf, MSG_DONTWAIT)) >= 0;) {
    if (n == 20 && memcmp(buf, "SKY\0", 4) == 0) {
      hits.push_back({GetU32(buf + 4), static_cast<int32_t>(GetU32(buf + 8)), GetF32(buf + 12), buf[16]});
    } else if (n == 52 && memcmp(buf, "SKY\1", 4) == 0) {
      MarkersPacket m{GetU32(buf + 4), {}};
      for (int i = 0; i < 11; ++i) m.values[i] = GetF32(buf + 8 + 4 * i);
      markers.push_back(m);
    } else {
      ++bad_packets;
    }
  }
}

void ViewerProbe::Decode(const unsigned char* data, size_t n) {
  stream_.insert(stream_.end(), data, data + n);
  size_t at = 0;
  while (at < stream_.size()) {
    const int code = stream_[at];
    const size_t size = size_t(ProbeMessageSize(code));
    if (at + 1 + size > stream_.size()) break;
    if (code > 13 || code == 5 || code == 6 || code == 12) ++bad_codes;
    messages_.push_back({code, std::vector<unsigned char>(stream_.begin() + at + 1, stream_.begin() + at + 1 + size)});
    at += 1 + size;
  }
  stream_.erase(stream_.begin(), stream_.begin() + at);
}

}  // namespace skyt_test
