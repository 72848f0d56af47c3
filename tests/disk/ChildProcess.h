#ifndef KORIL_TESTS_DISK_CHILDPROCESS_H
#define KORIL_TESTS_DISK_CHILDPROCESS_H

// Starting this test binary again as a second process, for tests that need another process to
// hold a file (locks, share modes). Test code only: the library never starts processes.

#include <filesystem>
#include <string>
#include <vector>

namespace koril::testing {

// The file of the running executable.
std::filesystem::path currentExecutable();

// The value of an environment variable as UTF-8, or the empty string when it is not set.
std::string environmentVariable(std::string const& name);

// A child process running `executable` with `arguments` and the environment of this process plus
// `variable`=`value`. Its standard streams are this process's. The destructor waits for it.
class ChildProcess {
public:
    ChildProcess(std::filesystem::path const& executable, std::vector<std::string> const& arguments,
                 std::string const& variable, std::string const& value);
    ChildProcess(ChildProcess const&) = delete;
    ChildProcess& operator=(ChildProcess const&) = delete;
    ~ChildProcess();

    bool started() const;
    // Waits for the child to end: its exit code, or -1 when it never started or ended abnormally.
    int wait();

private:
#ifdef _WIN32
    void* process_ = nullptr;
#else
    int pid_ = -1;
#endif
    bool waited_ = false;
    int exitCode_ = -1;
};

} // namespace koril::testing

#endif
