#ifndef KORIL_FILESYSTEM_TEMPORARYDIRECTORY_H
#define KORIL_FILESYSTEM_TEMPORARYDIRECTORY_H

#include <koril/filesystem/Export.h>
#include <koril/filesystem/Operations.h>
#include <koril/filesystem/Path.h>

/// @file
/// `TemporaryDirectory`: scratch storage that cleans up after itself.

namespace koril::filesystem {

/// A scope guard for scratch storage. Construction creates a directory and makes it the current
/// temporary directory (`getTemporaryDirectory`); destruction removes the directory on top of the
/// process-wide stack with everything in it. Neither copyable nor movable.
///
/// The stack is process-wide and not synchronised: create and destroy these objects, and call
/// `getTemporaryDirectory`, from one thread, destroying objects in the reverse order of their
/// construction. Failed creations and removals are not reported.
class KORIL_FILESYSTEM_EXPORT TemporaryDirectory {
public:
    /// Uses `directory` (created with its missing parents if need be) as the temporary
    /// directory. It is removed with its contents on destruction, even if it existed before. A
    /// failed creation is not reported: the path is pushed all the same.
    /// @param directory The directory to use.
    explicit TemporaryDirectory(Path const& directory);
    /// Removes the entries of the current temporary directory whose names start with `prefix`
    /// and that were modified more than `maxAge` ago, then creates a uniquely named directory
    /// there (`makeUniqueTemporaryDirectory`). With no usable base directory nothing is swept or
    /// created (the empty path is pushed). If this throws (an allocation failure, or
    /// `std::regex_error` for a prefix that makes no valid pattern), the stack is unchanged.
    /// @param prefix The start of the new directory's name, and of the names the sweep removes.
    /// @param maxAge The age beyond which an entry with the prefix counts as stale.
    TemporaryDirectory(String const& prefix, Ticks maxAge);
    TemporaryDirectory(TemporaryDirectory const&) = delete;
    TemporaryDirectory& operator=(TemporaryDirectory const&) = delete;
    /// Pops the stack and removes that directory with everything in it; a failed removal is
    /// ignored. Never throws for a file-system failure.
    ~TemporaryDirectory();

    /// @return The current temporary directory, as `getTemporaryDirectory()` gives it: this
    ///     object's directory while it is the innermost one alive.
    Path get();

    /// A fresh name for a temporary directory. Creates nothing, so another process may take the
    /// name before the caller does.
    /// @param parent The directory to place it in.
    /// @param prefix The start of the name.
    /// @return `parent` joined with `prefix` and the decimal digits of a random 32-bit number,
    ///     a path that did not exist when it was tested.
    static Path makeUniqueTemporaryDirectory(Path const& parent, String const& prefix);

private:
    String prefix_;
};

} // namespace koril::filesystem

#endif
