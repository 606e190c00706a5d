// Child processes for the clipboard tools and the shell command: finding a
// program on PATH, and starting a child three ways - for its output within a
// time limit, detached, or in the foreground of pk's terminal - always reaped.
// A started child has default signal actions, nothing blocked, and no
// descriptor of pk's besides its standard three.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pk {

using Deadline = std::chrono::steady_clock::time_point;

// The full path of an executable regular file: name itself when it holds a
// slash, else the first match in PATH's folders (an empty entry is the
// current folder; without PATH, /usr/local/bin:/usr/bin:/bin). False if none.
bool FindProgram(std::string_view name, std::string& path);

// Runs path with argv (argv[0] included) in a session of its own, standard
// input and error on /dev/null, and collects its standard output until it
// ends. At the deadline, or once the output passes `limit` bytes, the child
// and its process group are killed. The exit status when the child ended
// by itself (128 + signal when a signal ended it), else -1.
int RunForOutput(const std::string& path, const std::vector<std::string>& argv, Deadline until, size_t limit,
                 std::string& out);

// Starts path in a session of its own with all three standard descriptors
// on /dev/null, and returns without waiting; the program is never pk's
// child, so no zombie is left. 0 when it started, else the errno.
int StartDetached(const std::string& path, const std::vector<std::string>& argv);

// Tells whether pk has been asked to end; the foreground waits below ask it
// each time a signal arrives.
using EndCheck = bool (*)();

// Runs path in a process group of its own in the foreground of the
// controlling terminal and waits for it. Meanwhile the terminal's keys
// signal the program alone, pk ignores SIGINT and SIGQUIT, and a program
// that stops is continued. Once ending() is true (pk got SIGTERM or SIGHUP)
// the program's process group gets SIGHUP, as a shell's jobs do when the
// shell ends, and the wait ends at once. The terminal then goes back to pk
// in the modes it had before, except that its keys raise no signals (ISIG
// off) until pk's console takes it again. status gets the exit status (128
// + signal for a killed program; -1 when the wait was cut short). 0 when it
// ran, else the errno of the failure to start.
int RunInForeground(const std::string& path, const std::vector<std::string>& argv, int& status, EndCheck ending);

// Writes prompt to the controlling terminal and reads it until Enter (CR or
// LF), its end, or ending() is true (then, when already true, writes nothing).
void WaitForEnter(std::string_view prompt, EndCheck ending);

}  // namespace pk
