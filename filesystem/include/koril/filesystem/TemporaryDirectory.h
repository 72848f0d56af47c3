#ifndef KORIL_FILESYSTEM_TEMPORARYDIRECTORY_H
#define KORIL_FILESYSTEM_TEMPORARYDIRECTORY_H

#include <koril/filesystem/Export.h>
#include <koril/filesystem/Operations.h>
#include <koril/filesystem/Path.h>

namespace koril::filesystem {

// A scope guard for scratch storage. Construction creates a directory and makes it the current
// temporary directory (`getTemporaryDirectory`); destruction removes the directory on top of the
// process-wide stack with everything in it. Destroy objects in the reverse order of their
// construction, from one thread. Neither copyable nor movable.
class KORIL_FILESYSTEM_EXPORT TemporaryDirectory {
public:
    // Uses `directory` (created if missing) as the temporary directory. It is removed with its
    // contents on destruction, even if it existed before.
    explicit TemporaryDirectory(Path const& directory);
    // Removes entries of the current temporary directory whose names start with `prefix` and that
    // were modified more than `maxAge` ago, then creates a uniquely named directory there. With
    // no usable base directory nothing is swept or created (the empty path is pushed).
    TemporaryDirectory(String const& prefix, Ticks maxAge);
    TemporaryDirectory(TemporaryDirectory const&) = delete;
    TemporaryDirectory& operator=(TemporaryDirectory const&) = delete;
    ~TemporaryDirectory();

    // The current temporary directory, as `getTemporaryDirectory()` gives it.
    Path get();

    // A path below `parent` named `prefix` followed by the digits of a random 32-bit number,
    // that does not exist yet. Creates nothing.
    static Path makeUniqueTemporaryDirectory(Path const& parent, String const& prefix);

private:
    String prefix_;
};

} // namespace koril::filesystem

#endif
