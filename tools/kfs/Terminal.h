#ifndef KORIL_TOOLS_KFS_TERMINAL_H
#define KORIL_TOOLS_KFS_TERMINAL_H

// The two things kfs asks of the console itself; the only place that includes a system header.

namespace kfs {

// Whether standard error is a terminal (progress is shown only then).
bool standardErrorIsTerminal();
// Makes standard output and standard error pass bytes unchanged, so that UTF-8 text and "\n" line
// ends come out the same on every platform.
void useBinaryOutput();

} // namespace kfs

#endif
