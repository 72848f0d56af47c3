// The drive table of the POSIX target and the public call that fills it.

#include "platform/posix/DriveTable.h"

#include "platform/posix/PathTranslation.h"

#include <koril/filesystem/Operations.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <mutex>

#include <unistd.h>

namespace koril::filesystem {

namespace {

struct Mapping {
    // As given, made absolute.
    std::string directory;
    // With links resolved, so that final paths from the kernel match too; empty when the
    // directory could not be resolved when it was mapped.
    std::string resolved;
};

struct DriveTable {
    std::mutex mutex;
    std::array<Mapping, 26> drives;
    // Spares every lookup the lock while nothing is mapped, which is the usual case.
    std::atomic<bool> anyMapping{false};
};

DriveTable& table() {
    static DriveTable instance;
    return instance;
}

int driveIndex(unsigned int letter) {
    if (letter >= 'a' && letter <= 'z')
        return static_cast<int>(letter - 'a');
    if (letter >= 'A' && letter <= 'Z')
        return static_cast<int>(letter - 'A');
    return -1;
}

void dropTrailingSlashes(std::string& path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
}

std::string currentDirectory() {
    std::string buffer(PATH_MAX, '\0');
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
    return std::string(buffer.c_str());
}

// True when `directory` is `path` or one of its ancestors.
bool holds(std::string const& directory, std::string const& path) {
    if (directory.empty() || path.compare(0, directory.size(), directory) != 0)
        return false;
    return path.size() == directory.size() || directory == "/" || path[directory.size()] == '/';
}

} // namespace

bool setDriveMapping(String const& rootName, Path const& directory) {
    if (rootName.size() != 2 || rootName[1] != ':' || driveIndex(rootName[0]) < 0)
        return false;
    int const index = driveIndex(rootName[0]);
    DriveTable& drives = table();
    Mapping mapping;
    if (!directory.empty()) {
        if (!platform::posix::toPosixPath(directory.string().toNativeString(), mapping.directory))
            return false;
        if (mapping.directory.empty() || mapping.directory.front() != '/') {
            std::string const base = currentDirectory();
            if (base.empty())
                return false;
            mapping.directory = mapping.directory.empty() ? base : base + '/' + mapping.directory;
        }
        dropTrailingSlashes(mapping.directory);
        std::unique_ptr<char, decltype(&std::free)> resolved(
            ::realpath(mapping.directory.c_str(), nullptr), &std::free);
        if (resolved)
            mapping.resolved = resolved.get();
    }
    std::lock_guard<std::mutex> lock(drives.mutex);
    drives.drives[static_cast<std::size_t>(index)] = std::move(mapping);
    bool any = false;
    for (Mapping const& drive : drives.drives)
        any = any || !drive.directory.empty();
    drives.anyMapping.store(any);
    return true;
}

namespace platform::posix {

bool mappedDirectory(unsigned int letter, std::string& directory) {
    int const index = driveIndex(letter);
    DriveTable& drives = table();
    if (index < 0 || !drives.anyMapping.load())
        return false;
    std::lock_guard<std::mutex> lock(drives.mutex);
    Mapping const& mapping = drives.drives[static_cast<std::size_t>(index)];
    if (mapping.directory.empty())
        return false;
    directory = mapping.directory;
    return true;
}

DriveMatch findDrive(std::string const& path) {
    DriveMatch best;
    DriveTable& drives = table();
    if (!drives.anyMapping.load())
        return best;
    std::size_t deepest = 0;
    std::lock_guard<std::mutex> lock(drives.mutex);
    for (std::size_t i = 0; i < drives.drives.size(); ++i) {
        for (std::string const* directory :
             {&drives.drives[i].directory, &drives.drives[i].resolved}) {
            if (holds(*directory, path) && directory->size() > deepest) {
                deepest = directory->size();
                best.letter = static_cast<char>('A' + i);
                // The root's `/` belongs to the rest of the path.
                best.prefixLength = *directory == "/" ? 0 : directory->size();
            }
        }
    }
    return best;
}

} // namespace platform::posix

} // namespace koril::filesystem
