#include "disk/ChildProcess.h"

#include <cstdlib>
#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#else
#include <spawn.h>
#include <sys/wait.h>
extern char** environ;
#endif

namespace koril::testing {

#ifdef _WIN32

std::string environmentVariable(std::string const& name) {
    std::wstring const wideName = std::filesystem::u8path(name).wstring();
    DWORD const size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (size == 0)
        return std::string();
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(wideName.c_str(), value.data(), size));
    return std::filesystem::path(value).u8string();
}

int runThisExecutable(std::vector<std::string> const& arguments, std::string const& variable,
                      std::string const& value) {
    std::wstring executable(32768, L'\0');
    executable.resize(
        GetModuleFileNameW(nullptr, executable.data(), static_cast<DWORD>(executable.size())));
    // Our arguments hold no quotes or trailing backslashes, so quoting each one is enough.
    std::wstring commandLine = L'"' + executable + L'"';
    for (std::string const& argument : arguments)
        commandLine += L" \"" + std::filesystem::u8path(argument).wstring() + L'"';
    // The child inherits the environment block as it is at creation; the variable is set only
    // around that moment.
    std::wstring const wideVariable = std::filesystem::u8path(variable).wstring();
    SetEnvironmentVariableW(wideVariable.c_str(), std::filesystem::u8path(value).c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION information{};
    bool const started = CreateProcessW(executable.c_str(), commandLine.data(), nullptr, nullptr,
                                        FALSE, 0, nullptr, nullptr, &startup, &information);
    SetEnvironmentVariableW(wideVariable.c_str(), nullptr);
    if (!started)
        return -1;
    CloseHandle(information.hThread);
    DWORD code = 0;
    bool const ended = WaitForSingleObject(information.hProcess, INFINITE) == WAIT_OBJECT_0 &&
                       GetExitCodeProcess(information.hProcess, &code);
    CloseHandle(information.hProcess);
    return ended ? static_cast<int>(code) : -1;
}

#else

std::string environmentVariable(std::string const& name) {
    char const* value = std::getenv(name.c_str());
    return value != nullptr ? std::string(value) : std::string();
}

int runThisExecutable(std::vector<std::string> const& arguments, std::string const& variable,
                      std::string const& value) {
    std::vector<std::string> strings{std::filesystem::read_symlink("/proc/self/exe").string()};
    strings.insert(strings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : strings)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    std::string assignment = variable + '=' + value;
    std::vector<char*> envp;
    for (char** entry = environ; *entry != nullptr; ++entry)
        envp.push_back(*entry);
    envp.push_back(assignment.data());
    envp.push_back(nullptr);

    pid_t pid = -1;
    int status = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0 ||
        waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

#endif

} // namespace koril::testing
