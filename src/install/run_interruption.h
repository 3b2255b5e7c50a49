// A request to stop a run from outside it (Ctrl+C or Ctrl+Break in the
// console): honoured while the run has changed nothing on the server, at
// the next phase or during the staging copy; refused once it has, since the
// run must then finish or put the server back itself. Safe to call from any
// thread, as a console's control handler runs on a thread of its own.
#pragma once

namespace install {

// Called by the run before it records a change to the server. False when a
// stop was asked first: the change must not be sent.
bool begin_changes();

// Asks the run to stop. True when it will stop cleanly; false when it has
// already changed the server and goes on.
bool request_stop();

// Whether the run was asked to stop before it changed anything.
bool stop_requested();

// Forgets a stop request and the changes begun: a new run starts.
void reset_interruption();

}  // namespace install
