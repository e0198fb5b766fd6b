// The link to the 3D viewer: TCP server (port 5314), UDP socket (port 5315) and the discovery
// socket (port 35847). Everything runs on the main thread, once per displayed frame, and
// never blocks.
#pragma once

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

// Opens the TCP server and the UDP socket; when either cannot be opened it prints one line and
// ends the program with a failure status. Returns true otherwise. Call it before
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

// Messages for a connected viewer; nothing is sent or kept while none is connected.
void SendMessage_HitDrum(int drum, float volume, unsigned char limb);
void SendMessage_Markers(float left_x, float left_y, float left_radius, float right_x, float right_y,
                         float right_radius, float left_foot_x, float left_foot_y, float right_foot_x,
                         float right_foot_y, float hihat_openness);
void SendMessage_BeginDrumkit(int drum_count, bool user_kit);
void SendMessage_AddDrum(int index, const Drumkit::Drum& drum);
void SendMessage_EndDrumkit();
void SendMessage_SongName();
