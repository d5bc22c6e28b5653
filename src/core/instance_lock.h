#pragma once
// The host's single-instance lock. A program that hands over to a new copy of
// itself (restart, or start a program and end) releases the lock before that
// copy runs, so the copy is not taken for a second instance. UI thread.
#include <functional>

// Registers how the host releases its lock; an empty function forgets it.
void set_instance_lock_release(std::function<void()> release);
// Runs the registered release once and forgets it; nothing when none is set.
void release_instance_lock();
