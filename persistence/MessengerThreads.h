#pragma once
#include <functional>
#include <mutex>

// The threads of the messengers. Every send thread of the process takes turns on the send lock,
// every receive thread on the receive lock; each lock is made once for the process and never goes
// while any messenger could still take it.
std::mutex& MessengerSendLock();
std::mutex& MessengerReceiveLock();

// Runs `body` on a thread of its own, with COM initialised for it and the module kept loaded
// while it runs; the thread's exit code is what `body` answers. False when the thread cannot
// start (`body` is dropped then).
bool StartMessengerThread(std::function<int()> body);
