#include "frame/events.h"

#include <pthread.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <vector>

namespace {

struct Waiter {
  pthread_mutex_t mutex;
  pthread_cond_t cond;
  bool woken = false;
};

// One waiter's link in one event's list (a wait on several events has one link per event).
struct WaitLink {
  Waiter* waiter = nullptr;
  WaitLink* prev = nullptr;
  WaitLink* next = nullptr;
};

struct Event {
  WaitLink* head = nullptr;
  WaitLink* tail = nullptr;
  pthread_mutex_t mutex;
  bool signalled = false;
};

void AddElement(Event* e, WaitLink* link) {
  link->prev = e->tail;
  link->next = nullptr;
  if (e->tail) e->tail->next = link;
  else e->head = link;
  e->tail = link;
}

void RemoveElement(Event* e, WaitLink* link) {
  if (link->prev) link->prev->next = link->next;
  else e->head = link->next;
  if (link->next) link->next->prev = link->prev;
  else e->tail = link->prev;
  link->prev = link->next = nullptr;
}

timespec DeadlineAfter(uint32_t timeout_ms) {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  ts.tv_sec += timeout_ms / 1000;
  ts.tv_nsec += static_cast<long>(timeout_ms % 1000) * 1000000L;
  if (ts.tv_nsec >= 1000000000L) {
    ts.tv_sec += 1;
    ts.tv_nsec -= 1000000000L;
  }
  return ts;
}

// Events are locked in address order so that two waits over overlapping arrays cannot
// deadlock; results still refer to the caller's array order.
struct LockedEvents {
  explicit LockedEvents(std::vector<Event*> sorted) : order(std::move(sorted)) { Lock(); }
  void Lock() { for (Event* e : order) pthread_mutex_lock(&e->mutex); }
  void Unlock() { for (Event* e : order) pthread_mutex_unlock(&e->mutex); }
  std::vector<Event*> order;
};

}  // namespace

HANDLE CreateEvent(void*, bool, bool initial_state) {
  Event* e = new Event;
  pthread_mutex_init(&e->mutex, nullptr);
  e->signalled = initial_state;
  return e;
}

int SetEvent(HANDLE handle) {
  Event* e = static_cast<Event*>(handle);
  pthread_mutex_lock(&e->mutex);
  e->signalled = true;
  for (WaitLink* l = e->head; l; l = l->next) {
    pthread_mutex_lock(&l->waiter->mutex);
    l->waiter->woken = true;
    pthread_cond_signal(&l->waiter->cond);
    pthread_mutex_unlock(&l->waiter->mutex);
  }
  pthread_mutex_unlock(&e->mutex);
  return 1;
}

int ResetEvent(HANDLE handle) {
  Event* e = static_cast<Event*>(handle);
  pthread_mutex_lock(&e->mutex);
  e->signalled = false;
  pthread_mutex_unlock(&e->mutex);
  return 1;
}

uint32_t WaitForSingleObject(HANDLE event, uint32_t timeout_ms) {
  return WaitForMultipleObjects(1, &event, false, timeout_ms);
}

uint32_t WaitForMultipleObjects(uint32_t count, const HANDLE* handles, bool, uint32_t timeout_ms) {
  if (count == 0 || count > 64 || !handles) return WAIT_FAILED_CODE;
  std::vector<Event*> events(count);
  for (uint32_t i = 0; i < count; ++i) {
    events[i] = static_cast<Event*>(handles[i]);
    if (!events[i]) return WAIT_FAILED_CODE;
  }
  std::vector<Event*> sorted = events;
  std::sort(sorted.begin(), sorted.end());
  if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) return WAIT_FAILED_CODE;

  Waiter waiter;
  pthread_mutex_init(&waiter.mutex, nullptr);
  pthread_condattr_t attr;
  pthread_condattr_init(&attr);
  pthread_condattr_setclock(&attr, CLOCK_MONOTONIC);
  pthread_cond_init(&waiter.cond, &attr);
  pthread_condattr_destroy(&attr);
  std::vector<WaitLink> links(count);

  auto any_signalled = [&] {
    for (Event* e : events)
      if (e->signalled) return true;
    return false;
  };

  LockedEvents locked(sorted);
  for (uint32_t i = 0; i < count; ++i) {
    links[i].waiter = &waiter;
    AddElement(events[i], &links[i]);
  }
  uint32_t result = WAIT_FAILED_CODE;
  const bool limited = timeout_ms != INFINITE_WAIT;
  const timespec deadline = limited ? DeadlineAfter(timeout_ms) : timespec{};
  while (!any_signalled()) {
    // The waiter's mutex is taken before the events are released, so a SetEvent that follows
    // cannot signal before this thread waits.
    pthread_mutex_lock(&waiter.mutex);
    waiter.woken = false;
    locked.Unlock();
    int rc = 0;
    while (!waiter.woken && rc != ETIMEDOUT)
      rc = limited ? pthread_cond_timedwait(&waiter.cond, &waiter.mutex, &deadline)
                   : pthread_cond_wait(&waiter.cond, &waiter.mutex);
    pthread_mutex_unlock(&waiter.mutex);
    locked.Lock();
    if (rc == ETIMEDOUT && !any_signalled()) {
      result = WAIT_TIMED_OUT;
      break;
    }
  }
  for (uint32_t i = 0; i < count; ++i) {
    RemoveElement(events[i], &links[i]);
    if (events[i]->signalled) result = i;
  }
  locked.Unlock();
  pthread_mutex_destroy(&waiter.mutex);
  pthread_cond_destroy(&waiter.cond);
  return result;
}

int CloseHandle(HANDLE handle) {
  Event* e = static_cast<Event*>(handle);
  if (!e) return 0;
  pthread_mutex_lock(&e->mutex);
  bool busy = e->head != nullptr;
  pthread_mutex_unlock(&e->mutex);
  if (busy) return 0;
  pthread_mutex_destroy(&e->mutex);
  delete e;
  return 1;
}
