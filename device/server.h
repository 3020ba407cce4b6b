// The device service's loop and its clients: the socket, with many clients at once, and the
// touch side's inputs. The loop's thread accepts clients and reads each one's first bytes itself;
// a client whose first request is whole gets a thread of its own, which waits for its requests and
// answers them in order. So a connection that sends nothing, or junk, or hangs up, costs the loop
// a read and a close, never a thread. The loop also wakes the inputs on their descriptors and due
// times. Both act on the controller and the touch side only while they hold the turn (TurnLock),
// one at a time, so both stay single-threaded: the suite's requests and the inputs in the order
// they asked, the simulator's behind them; a client's thread waits for its next request in a
// blocking read of its own socket, the cheapest wake-up there is. Whoever holds the turn first
// lets the inputs hand their reports to the touch path, so reports that came in meanwhile go
// before the requests. A client that sends a malformed frame is disconnected; one that stalls or
// vanishes mid-frame holds up nobody else. What one client can make the service hold, and how long
// it can keep the others waiting, is bounded (see the constants in server.cpp).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "device/controller.h"
#include "device/request_reader.h"
#include "device/touch_side.h"
#include "device/turn_lock.h"

struct pollfd;

namespace qx {

class DeviceServer {
 public:
  DeviceServer(std::string socketPath, Controller& controller, TouchSide& touch);
  ~DeviceServer();

  // Binds the socket (owner-only); false with a message on stderr when it cannot, or when
  // another service already answers on it.
  bool Listen();
  // Serves until Stop() is called, and returns once every client's thread has ended. The inputs'
  // reports (the held finger's) are made from here, on time.
  void Run();
  // Ends Run; safe in a signal handler.
  void Stop();

 private:
  using Clock = std::chrono::steady_clock;
  using Turn = std::unique_lock<TurnLock>;
  struct Client;

  // The loop's thread, holding the turn. Fills the poll set (the clients without a thread among
  // it), says how long the poll may wait and notes when the loop wakes at the latest.
  int PreparePoll();
  // Takes what the clients without a thread sent, as the poll found them.
  void ReadFirstRequests();
  // Takes the connections waiting to be accepted, kAcceptBatch at most, each read at once.
  void AcceptClients();
  // Whether a new client has a place: one is free, or the client idle the longest gave its up.
  bool MakePlace();
  // Reads what a client without a thread sent, without waiting: once a request is whole the client
  // gets its thread; one that hangs up first, or sends a malformed frame, is dropped.
  void ReadFirstRequest(Client& client);
  void StartAttending(Client& client);
  // Closes a client without a thread.
  void Drop(Client& client);
  // Ends every client's thread, which needs the turn too: waits with it given up.
  void EndClients(Turn& turn);
  // The loop's thread, without the turn: gives the memory of large replies back to the system
  // once they are all sent.
  void GiveMemoryBackWhenQuiet();
  // Notes what the touch side may have to do next (due_, inputDescriptors_). Holding the turn, at
  // the end of whatever may have changed it.
  void NoteDue();
  // Whether waking the inputs before a request may do anything: an input with a descriptor may
  // have become readable, or a due time has come.
  bool InputsMayHaveWork() const;
  // Wakes the loop's poll; safe in a signal handler.
  void WakeLoop();
  // Wakes the loop when what a client's request did makes something due before the loop wakes.
  void WakeLoopIfDueSooner();

  // A client's thread, from its first request to its end.
  void Attend(Client& client);
  // The line a request of CODE waits for the turn in: the simulator's behind the suite's.
  static TurnLock::Line LineOf(std::uint32_t code);
  // Takes the turn in the line of the client's first request (kept in the client) into TURN.
  void TakeTurnFor(Client& client, Turn& turn);
  // Waits for what the client sends next; false when it is to go.
  bool Receive(Client& client);
  // Holding the turn: lets the inputs report (when they may have something), then answers the
  // client's whole requests for one turn and sends the replies before the journal's lines are
  // written; false when it is to go (a malformed frame, or the service stops).
  bool TakeTurn(Client& client, Turn& turn);
  const pollfd* PollInputsNow(Client& client);
  bool ServeTurn(Client& client, Turn& turn);
  // Whether the client's first request (of CODE) may be answered now: the controller does not
  // hold it back, and the replies held leave room for its reply.
  bool Servable(const Client& client, std::uint32_t code);
  // Whether the replies held leave room for a reply to a request of CODE.
  bool RoomFor(std::uint32_t code) const;
  // Whether the controller holds the request back still (Controller::Holds, for kRbfWaitHoldMs at most).
  bool HeldBack(const Client& client, std::uint32_t code) const;
  // Waits until the request may be answered, or something it waits for changes, with the turn
  // given up meanwhile.
  void WaitToServe(Client& client, std::uint32_t code, Turn& turn);
  // Answers the client's first request, R: its reply goes into the turn's replies, or is held
  // while it or a reply before it waits for the kept settings.
  void Answer(Client& client, const Request& r);
  void PutReply(Client& client, const DeviceReply& reply);
  // Without the turn: each held reply, in order, once its settings are on disk, sent; false when
  // a send fails.
  bool ReleaseHeld(Client& client);
  // Sends what is left of the turn's replies, with send FLAGS; false when a send fails (with
  // MSG_DONTWAIT: when it would wait, too).
  bool SendPending(Client& client, int flags);
  // Sends the turn's replies, the held ones too; false when the client is to go.
  bool WriteTo(Client& client);
  void Leave(Client& client);

  // Reply bytes written for all clients and not yet sent (pendingTotal_).
  void AddPending(std::size_t bytes);
  void RemovePending(std::size_t bytes);
  // Wakes those waiting for room: once the mutex was taken empty, every one counted waits already.
  void WakeRoomWaiters();
  // Tells those waiting on changed_ that what they wait for may have changed. Holding the turn.
  void NoteChange();

  std::string path_;
  Controller& controller_;
  TouchSide& touch_;
  int listenFd_ = -1;
  int wakeFd_ = -1;  // an eventfd: a client or Stop() wakes the loop's poll through it
  std::atomic<bool> stop_{false};

  // Held by whoever acts on the controller, the clients_ list or the members below.
  TurnLock turn_;
  Controller::ClientId lastId_ = 0;
  // Clients shut down to make room for others, on their way out: their places are free.
  std::size_t evicted_ = 0;
  // Notified whenever what a waiting client waits for may have changed: the controller's state,
  // the clients, or the service stopping.
  std::condition_variable_any changed_;
  // How many wait on changed_: it is notified only then, as notifying takes a mutex of its own.
  // Counted holding the turn, as the waits and the notifications happen holding it.
  int changeWaiters_ = 0;
  std::list<Client> clients_;
  // The loop's poll set: the listening socket, the wake-up descriptor, the touch side's entries,
  // then the clients without a thread (firstReads_, from fds_[firstReadsAt_] on).
  std::vector<pollfd> fds_;
  std::vector<Client*> firstReads_;
  std::size_t firstReadsAt_ = 0;
  Clock::time_point loopWakesBy_;
  // As NoteDue last found them; until then, as if the inputs always had work.
  std::optional<Clock::time_point> due_;
  bool inputDescriptors_ = true;

  std::atomic<std::size_t> pendingTotal_{0};
  // A large reply was sent (and its room freed) since the memory was last given back.
  std::atomic<bool> largeReplySent_{false};
  // Those waiting for room (roomFreed_) wait under roomMutex_, and count themselves in roomWaiters_
  // so that freeing room wakes nobody when nobody waits.
  std::mutex roomMutex_;
  std::condition_variable roomFreed_;
  std::atomic<int> roomWaiters_{0};
};

}  // namespace qx
