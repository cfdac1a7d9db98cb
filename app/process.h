// What a program sets up in its own process before anything else; the
// library, which lives in other people's programs, does none of it.
#pragma once

// Linux: keeps large blocks mapped (see process_posix.cpp) and quiets the
// audio libraries' own messages (quiet_logs.h). Windows: a program of the
// window subsystem starts without standard error unless whoever started it
// handed one over; it is then connected to the console of the program that
// started this one, if there is one, so that the program's notes reach a
// user who started it from a terminal.
void PrepareProcess();
