// The current and the temporary directory of the process.

#include "platform/posix/Handles.h"

#include <cstdlib>
#include <cstring>

namespace koril::filesystem::platform {

using namespace posix;

std::string posix::workingDirectory() {
    std::string buffer(256, '\0');
    while (systemCalls.getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(std::strlen(buffer.c_str()));
    return buffer;
}

Path currentDirectory() {
    std::string const directory = workingDirectory();
    return directory.empty() ? Path() : libraryPathOf(directory);
}

bool setCurrentDirectory(Location location) {
    if (location.directory == nullptr)
        return systemCalls.chdir(location.name.c_str()) == 0;
    Descriptor const directory(
        openAt(directoryOf(location), location.name.c_str(), O_RDONLY | O_DIRECTORY));
    return directory && systemCalls.fchdir(directory.get()) == 0;
}

Path temporaryDirectory() {
    char const* const variable = std::getenv("TMPDIR");
    std::string directory = variable != nullptr && *variable != '\0' ? variable : "/tmp";
    if (directory.front() != '/') {
        std::string const base = workingDirectory();
        if (base.empty())
            return Path();
        directory = base + '/' + directory;
    }
    Path path = libraryPathOf(directory);
    path.appendSeparator();
    return path;
}

} // namespace koril::filesystem::platform
