// The link to the 3D viewer: TCP server (port 5314), UDP socket (port 5315) and the discovery
// socket (port 35847). Everything runs on the main thread, once per displayed frame, and
// never blocks: sockets are non-blocking and polled with a zero time-out, one recv of at most
// 1024 bytes and one send a frame. A lost viewer is dropped quietly; nothing the viewer sends
// can crash the program, reach the mixer as a non-number or write a file on its own (only
// code 29 saves the kit).
#pragma once

#include "airmenu/viewer_protocol.h"
#include "drumming/drumkit.h"  // Drumkit::Drum

// The link's ports. The program uses these fixed ones, which a viewer expects; tests that must
// not take them (a Skytapper may be running beside them) move them before InitSockets, and the
// environment variable SKYTAPPER_VIEWER_PORT_BASE=p, read once by InitSockets, moves the whole
// program's to p, p + 1, p + 2 and p + 3 in this order.
struct ViewerPorts {
  int server = 5314;      // TCP, where the viewer connects
  int udp = 5315;         // UDP, this side of the packets
  int client_udp = 5316;  // UDP, the viewer's side of the packets
  int discovery = 35847;  // UDP, where discovery requests come
};
extern ViewerPorts viewer_ports;

// How InitSockets ends the program when it cannot open its sockets; exit by default, tests
// put in their own. It is called with status 1.
extern void (*viewer_link_exit)(int status);

// Opens the TCP server and the UDP socket; when either cannot be opened it says so on the
// terminal and in a message box naming the busy port, and ends the program through
// viewer_link_exit(1). Returns true otherwise. Call it before
// InitDiscoveryServer: it takes the ports from the environment.
bool InitSockets(const char* sockets_file, bool record);
// Opens the discovery socket; failures are printed and not fatal.
void InitDiscoveryServer();
// Per-frame pumping, in this order, from every frame function.
void UpdateDiscoveryServer();
void UpdateSockets();
// True while a viewer holds the TCP connection.
bool IsClientConnected();
// Exit handler, in this order; CleanUpSockets then saves the last session.
void CleanUpDiscoveryServer();
void CleanUpSockets();

// Hands the drumming the senders below and IsClientConnected; called once at start-up.
void InstallViewerCalls();

// Appends one message (the code and GetMessageSize(code) bytes of payload) to the send queue
// while a viewer is connected; with none, or with 1 MB already waiting, the message is dropped.
void QueueMessage(MessageType code, const unsigned char* payload);

// Messages for a connected viewer; nothing is sent or kept while none is connected. The two
// UDP packets take their counter on every call, connected or not.
void SendMessage_HitDrum(int drum, float volume, unsigned char limb);
void SendMessage_Markers(float left_x, float left_y, float left_radius, float right_x, float right_y,
                         float right_radius, float left_foot_x, float left_foot_y, float right_foot_x,
                         float right_foot_y, float hihat_openness);
void SendMessage_BeginDrumkit(int drum_count, bool user_kit);
void SendMessage_AddDrum(int index, const Drumkit::Drum& drum);
void SendMessage_EndDrumkit();
void SendMessage_SongName();
void SendMessage_MoveDrum(int index, const Drumkit::Drum& drum);
void SendMessage_MovePedal(int index, const Drumkit::Drum& drum);
void SendMessage_DrumkitName();  // the library kit at drumkit_index
void SendMessage_StickOffset();
void SendMessage_UserHeight();
void SendMessage_RecordingReplay();
void SendMessage_QuitClient();
// The connect sequence: stick offset, user height, the kit (0, 1 per drum, 2), the song name,
// and the kit in use as the browsed kit's name.
void SendConnectSequence();

// What the viewer asks for (codes 14-31; others are ignored). Values are kept in range:
// tempo 50-250, volumes 0-100; a move with a drum index outside the kit or a non-finite
// value, and a stick offset or height that is not a number, change nothing.
void HandleMessage(MessageType code, const unsigned char* payload);
// After the messages of a frame: acts on the run of repeated requests gathered (see
// viewer_messages.cpp).
void EndOfViewerMessages();
// Pans every sounding drum by the viewer's head direction while panning is on; pans stay in
// [-1, 1].
void SetOculusPanning(const OculusPacket& packet);
// The kit the viewer is browsing: an index into the kit library's list, -1 (or any index
// outside it) for none. Set to the kit in use at every connect.
extern int drumkit_index;
