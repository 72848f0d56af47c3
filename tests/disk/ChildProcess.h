#ifndef KORIL_TESTS_DISK_CHILDPROCESS_H
#define KORIL_TESTS_DISK_CHILDPROCESS_H

// Running this test binary again as a fresh process, for tests that need another process to look
// at a file (locks, share modes). Test code only: the library never starts processes.

#include <string>
#include <vector>

namespace koril::testing {

// The value of an environment variable as UTF-8, or the empty string when it is not set.
std::string environmentVariable(std::string const& name);

// Runs this executable again with `arguments` and the environment of this process plus
// `variable`=`value`, on this process's standard streams, and waits for it to end: its exit
// code, or -1 when it never started or ended abnormally.
int runThisExecutable(std::vector<std::string> const& arguments, std::string const& variable,
                      std::string const& value);

} // namespace koril::testing

#endif
