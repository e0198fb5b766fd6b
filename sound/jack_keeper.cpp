#include "sound/jack_keeper.h"

#include <jack/jack.h>

#include <atomic>

namespace jack_keeper {

namespace {

jack_client_t* client = nullptr;
std::atomic<bool> server_ended{false};  // set on the library's thread
int holds = 0;

void OnServerEnd(void*) { server_ended.store(true, std::memory_order_release); }

void Silent(const char*) {}

void Open() {
  void (*const error)(const char*) = jack_error_callback;
  void (*const info)(const char*) = jack_info_callback;
  jack_set_error_function(Silent);
  jack_set_info_function(Silent);
  jack_status_t status;
  client = jack_client_open(kClientName, JackNoStartServer, &status);
  jack_set_error_function(error);
  jack_set_info_function(info);
  if (!client) return;
  server_ended.store(false, std::memory_order_release);
  jack_on_shutdown(client, OnServerEnd, nullptr);
}

void Close() {
  if (!client) return;
  jack_client_close(client);
  client = nullptr;
}

}  // namespace

void Hold() { ++holds; }

void Release() {
  if (holds > 0 && --holds == 0) Close();
}

bool Refresh() {
  if (holds > 0 && !client) Open();
  return client && !ServerEnded();
}

bool ServerEnded() { return client && server_ended.load(std::memory_order_acquire); }

}  // namespace jack_keeper
