// Where the connected 3D viewer runs, and which program has the focus.
#include "app/app.h"
#include "frame/platform/platform.h"

namespace {
bool client_running_on_this_device = false;
}

bool ClientRunningOnThisDevice() { return client_running_on_this_device; }

bool SetWhetherClientIsRunningOnThisDevice() {
  client_running_on_this_device = ClientRunningOnThisMac();
  return client_running_on_this_device;
}

bool ServerHasFocus() { return ServerHasFocusMac(); }

void GiveFocusToClient() { GiveFocusToClientMac(); }
