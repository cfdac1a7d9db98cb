// How wubble-render's batch meets an interrupt: it finishes the files it is
// writing, so that no temporary file is left, and then ends as the
// interrupt would have ended it. stop_requests_posix.cpp and
// stop_requests_windows.cpp implement it.
#pragma once

// From this call on, an interrupt, a termination request or a hang-up
// (SIGINT, SIGTERM, SIGHUP; on Windows Ctrl+C, Ctrl+Break and the console
// closing) does not end the process at once: `stop(context)` runs on a
// thread of its own, and when it returns the process ends as the request
// would have ended it (a shell shows status 130, 143 or 129). On POSIX a
// write to a pipe nobody reads fails with EPIPE instead of ending the
// process. Call before any other thread starts, so that every thread leaves
// the requests to that one. False, with errno set, when it cannot be set up.
bool HoldStopRequests(void (*stop)(void *context), void *context);
