#include "disk/ChildProcess.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <spawn.h>
#include <sys/wait.h>
#endif

#include <cstdlib>

#ifndef _WIN32
extern char** environ;
#endif

namespace koril::testing {

#ifdef _WIN32

namespace {

std::wstring widen(std::string const& utf8) {
    if (utf8.empty())
        return std::wstring();
    int const size =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
    return wide;
}

std::string narrow(std::wstring const& wide) {
    if (wide.empty())
        return std::string();
    int const size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size,
                        nullptr, nullptr);
    return utf8;
}

// Our arguments hold no quotes or trailing backslashes, so quoting each one is enough.
void appendQuoted(std::wstring& commandLine, std::wstring const& argument) {
    if (!commandLine.empty())
        commandLine += L' ';
    commandLine += L'"';
    commandLine += argument;
    commandLine += L'"';
}

} // namespace

std::filesystem::path currentExecutable() {
    std::wstring buffer(32768, L'\0');
    DWORD const length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    buffer.resize(length);
    return std::filesystem::path(buffer);
}

std::string environmentVariable(std::string const& name) {
    std::wstring const wideName = widen(name);
    DWORD const size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (size == 0)
        return std::string();
    std::wstring value(size, L'\0');
    DWORD const length = GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
    value.resize(length);
    return narrow(value);
}

ChildProcess::ChildProcess(std::filesystem::path const& executable,
                           std::vector<std::string> const& arguments, std::string const& variable,
                           std::string const& value) {
    std::wstring commandLine;
    appendQuoted(commandLine, executable.wstring());
    for (std::string const& argument : arguments)
        appendQuoted(commandLine, widen(argument));
    // The child inherits the environment block as it is at creation; the variable is set only
    // around that moment.
    std::wstring const wideVariable = widen(variable);
    SetEnvironmentVariableW(wideVariable.c_str(), widen(value).c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION information{};
    if (CreateProcessW(executable.wstring().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                       nullptr, nullptr, &startup, &information)) {
        CloseHandle(information.hThread);
        process_ = information.hProcess;
    }
    SetEnvironmentVariableW(wideVariable.c_str(), nullptr);
}

bool ChildProcess::started() const {
    return process_ != nullptr;
}

int ChildProcess::wait() {
    if (!waited_ && process_ != nullptr) {
        waited_ = true;
        DWORD code = 0;
        if (WaitForSingleObject(process_, INFINITE) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(process_, &code))
            exitCode_ = static_cast<int>(code);
        CloseHandle(process_);
        process_ = nullptr;
    }
    return exitCode_;
}

#else

std::filesystem::path currentExecutable() {
    return std::filesystem::read_symlink("/proc/self/exe");
}

std::string environmentVariable(std::string const& name) {
    char const* value = std::getenv(name.c_str());
    return value != nullptr ? std::string(value) : std::string();
}

ChildProcess::ChildProcess(std::filesystem::path const& executable,
                           std::vector<std::string> const& arguments, std::string const& variable,
                           std::string const& value) {
    std::string const program = executable.string();
    std::vector<std::string> strings{program};
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
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) == 0)
        pid_ = pid;
}

bool ChildProcess::started() const {
    return pid_ > 0;
}

int ChildProcess::wait() {
    if (!waited_ && pid_ > 0) {
        waited_ = true;
        int status = 0;
        if (waitpid(pid_, &status, 0) == pid_ && WIFEXITED(status))
            exitCode_ = WEXITSTATUS(status);
        pid_ = -1;
    }
    return exitCode_;
}

#endif

ChildProcess::~ChildProcess() {
    wait();
}

} // namespace koril::testing
