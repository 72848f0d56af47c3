#ifndef KORIL_FILESYSTEM_PLATFORM_POSIX_DRIVETABLE_H
#define KORIL_FILESYSTEM_PLATFORM_POSIX_DRIVETABLE_H

// The process-wide table that gives drive root names ("T:") a POSIX directory. It is empty at
// load; `koril::filesystem::setDriveMapping` fills it. Lookups are safe from any thread.

#include <cstddef>
#include <string>

namespace koril::filesystem::platform::posix {

// The directory mapped to the drive `letter` (either case), absolute and without a trailing
// `/` (except the root itself); false when the drive is not mapped.
bool mappedDirectory(unsigned int letter, std::string& directory);

// The mapped drive that holds the absolute POSIX path `path`, the deepest one when mappings
// nest. `letter` is 0 when no mapping holds the path; otherwise it is the upper-case letter and
// `prefixLength` is the length of the directory text of `path` that the drive stands for.
struct DriveMatch {
    char letter = 0;
    std::size_t prefixLength = 0;
};
DriveMatch findDrive(std::string const& path);

} // namespace koril::filesystem::platform::posix

#endif
