// The idle JACK client that keeps the JACK client library's process-wide state alive.
//
// The library frees that state when the last client of the process closes, and a client opened
// after it may run on what was freed: its process thread signals clients long gone, or faults.
// PortAudio opens its JACK client when it is initialised and closes it when it is terminated,
// so the engine holds one client of its own beside PortAudio's for as long as it uses PortAudio.
// That client owns no ports and is never activated (it is no source or sink and takes no part
// in the server's cycles), never starts a server, and is closed when the last holder lets go.
//
// Main thread only.
#pragma once

namespace jack_keeper {

// The name the client asks for.
constexpr const char* kClientName = "skytapper-idle";

// Takes a hold; the first one lets Refresh open the client.
void Hold();
// Lets go of a hold; the last one closes the client.
void Release();
// While held: opens the client when none is open and a server answers (the library's lines
// about a missing server are not shown: that is the answer looked for). Returns whether the
// client is open on a server that has not ended.
bool Refresh();
// Whether the server of the open client has ended. The client is then kept to the last
// release, as PortAudio's client of that server must be (closing either beside the other
// crashes the library), and no new server is joined until the program starts again.
bool ServerEnded();

}  // namespace jack_keeper
