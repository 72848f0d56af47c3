#ifndef KORIL_TESTS_DISK_DEEPDIRECTORIES_H
#define KORIL_TESTS_DISK_DEEPDIRECTORIES_H

// A chain of nested directories below a scratch directory that reaches beyond the classic Windows
// path limit. Everything is made and removed one object at a time, with the long-path prefix on
// Windows, because the recursive helpers of std::filesystem give up on such paths there.

#include "support/Scratch.h"

#include <koril/filesystem/Path.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace koril::testing {

class DeepDirectories {
public:
    DeepDirectories(ScratchDirectory const& scratch, std::string const& name, int levels)
        : native_(scratch.native()), path_(scratch.path()) {
        for (int level = 0; level < levels; ++level)
            descend(name);
    }
    DeepDirectories(DeepDirectories const&) = delete;
    DeepDirectories& operator=(DeepDirectories const&) = delete;
    ~DeepDirectories() {
        std::error_code ignored;
        for (auto it = made_.rbegin(); it != made_.rend(); ++it)
            std::filesystem::remove(*it, ignored);
    }

    // The deepest directory.
    koril::filesystem::Path const& path() const { return path_; }

    koril::filesystem::Path addDirectory(std::string const& name) {
        std::filesystem::create_directory(reachable(native_ / name));
        made_.push_back(reachable(native_ / name));
        return path_ / koril::filesystem::Path(name);
    }
    koril::filesystem::Path addFile(std::string const& name, std::string const& contents) {
        std::ofstream(reachable(native_ / name)) << contents;
        made_.push_back(reachable(native_ / name));
        return path_ / koril::filesystem::Path(name);
    }

private:
    void descend(std::string const& name) {
        addDirectory(name);
        native_ /= name;
        path_ /= koril::filesystem::Path(name);
    }
    static std::filesystem::path reachable(std::filesystem::path const& path) {
#ifdef _WIN32
        return std::filesystem::path(L"\\\\?\\" + path.wstring());
#else
        return path;
#endif
    }

    std::filesystem::path native_;
    koril::filesystem::Path path_;
    std::vector<std::filesystem::path> made_;
};

} // namespace koril::testing

#endif
