// A stand-in 3D viewer, written from the link's description: its own size table and its own
// little-endian encoding of what it sends. It reads fields with the program's readers, which
// its encoding holds to: readers that disagreed would misread every value the probe sends.
// Discovery, one TCP connection, every server message decoded and size-checked, every viewer
// code sent, head poses from its packet port, and the hit and markers packets received. It
// never blocks for long: between its own steps it calls `pump`, which runs the server one
// frame (in-process: the link's per-frame update; against a running program: a short sleep).
// Link: skyt_airmenu.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace skyt_test {

struct ProbePorts {
  int server;      // TCP
  int udp;         // the server's packet port
  int client_udp;  // the probe's packet port
  int discovery;
};

// Payload bytes of a message code (0-31), 0 for any other.
int ProbeMessageSize(int code);

struct ServerMessage {
  int code;
  std::vector<unsigned char> payload;
  bool operator==(const ServerMessage&) const = default;
};

struct HitPacket {
  uint32_t counter;
  int32_t drum;
  float value;
  int limb;
};

struct MarkersPacket {
  uint32_t counter;
  float values[11];
};

// Little-endian payload pieces, to be joined with +.
std::vector<unsigned char> I32(int32_t v);
std::vector<unsigned char> F32(float v);
std::vector<unsigned char> operator+(std::vector<unsigned char> a, const std::vector<unsigned char>& b);
int32_t ReadI32(const std::vector<unsigned char>& bytes, size_t at);
float ReadF32(const std::vector<unsigned char>& bytes, size_t at);
// The NUL-terminated text of a name field (codes 7 and 8).
std::string ReadName(const std::vector<unsigned char>& payload);

class ViewerProbe {
 public:
  // The probe's own sockets are bound to own_address (any address by default).
  ViewerProbe(ProbePorts ports, std::function<void()> pump, const char* host = "127.0.0.1",
              const char* own_address = "0.0.0.0");
  ~ViewerProbe();
  ViewerProbe(const ViewerProbe&) = delete;
  ViewerProbe& operator=(const ViewerProbe&) = delete;

  // Sends the request to the discovery port; the reply that came back to the request's own
  // port within `frames` pumps ("" for none).
  std::string Discover(const std::string& request, int frames = 10);
  // Opens the packet port and the TCP connection, then pumps a frame. False when either fails.
  bool Connect();
  // Sends one message (the code and exactly the payload given), or raw stream bytes.
  void Send(int code, const std::vector<unsigned char>& payload = {});
  void SendBytes(const std::vector<unsigned char>& bytes);
  // A head-pose packet from the packet port (or from another port), cut or padded to length.
  void SendHeadPose(uint32_t counter, float p8, float p12, size_t length = 16, bool from_other_port = false);
  // Pumps `frames` frames, collecting what arrived after each.
  void Run(int frames = 3);
  // The messages decoded since the last call.
  std::vector<ServerMessage> TakeMessages();
  // Closes both ports at once, unannounced, as the system does for a killed viewer.
  void Kill();
  // False after Kill and once the server has closed the connection.
  bool Open() const { return tcp_ != -1; }

  std::vector<HitPacket> hits;
  std::vector<MarkersPacket> markers;
  // Codes the server must not send on TCP (5, 6, 12, 14 and above), and datagrams that are
  // neither a 20-byte hit nor a 52-byte markers packet.
  int bad_codes = 0;
  int bad_packets = 0;

 private:
  void Collect();
  void Decode(const unsigned char* data, size_t n);

  ProbePorts ports_;
  std::function<void()> pump_;
  std::string host_;
  std::string own_;
  int tcp_ = -1;
  int udp_ = -1;
  int other_udp_ = -1;
  std::vector<unsigned char> stream_;
  std::vector<ServerMessage> messages_;
};

}  // namespace skyt_test
