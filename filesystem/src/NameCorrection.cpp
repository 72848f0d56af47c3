// Rebuilds a path from the spellings (case and composition) that its directories store.

#include <koril/filesystem/DirectoryIterator.h>
#include <koril/filesystem/Operations.h>

#include <string>
#include <utility>
#include <vector>

namespace koril::filesystem {

namespace {

// The root with ASCII letters upper-cased byte by byte; other code points stay as they are.
Path upperCaseRoot(Path const& root) {
    std::string text = root.string().toUTF8String();
    for (char& byte : text)
        if (byte >= 'a' && byte <= 'z')
            byte = static_cast<char>(byte - 'a' + 'A');
    return Path(text);
}

// `directory` joined with the stored spelling of the entry equal to `name` under path
// comparison: the exact spelling when the directory holds it (it may also hold a twin that
// differs only in case), else the first equal one it lists; the name as given when the directory
// cannot be listed; empty when no entry matches.
Path lookUp(Path const& directory, Path const& name) {
    DirectoryIterator it(directory);
    if (!it.canIterate())
        return directory / name;
    DirectoryIterator const end;
    Path found;
    for (; *it != *end; ++it) {
        Path stored = it->getPath().filename();
        if (stored.string() == name.string())
            return directory / stored;
        if (found.empty() && stored == name)
            found = std::move(stored);
    }
    return found.empty() ? Path() : directory / found;
}

} // namespace

Path findSimilarName(Path const& path, bool fromRoot) {
    if (!fromRoot && exists(path))
        return path;

    // Climb to the starting point (an existing ancestor, or the root), collecting the names on
    // the way; then look them up from the top down. A loop rather than recursion, so that the
    // depth of a path never weighs on the stack.
    std::vector<Path> names;
    Path current = path;
    Path corrected;
    for (;;) {
        if (current.empty())
            return Path();
        Path parent = current.parentPath();
        names.push_back(current.filename());
        if (fromRoot ? parent == parent.rootPath() : exists(parent)) {
            corrected = fromRoot ? upperCaseRoot(parent) : parent;
            break;
        }
        // A parent that does not shorten the text would climb for ever.
        if (parent.string() == current.string())
            return Path();
        current = std::move(parent);
    }

    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        corrected = lookUp(corrected, *name);
        if (corrected.empty())
            return Path();
    }
    return corrected;
}

bool correctFileCaseAndComposition(Path& path, bool fromRoot) {
    Path corrected = findSimilarName(path, fromRoot);
    if (corrected.empty())
        return false;
    path = std::move(corrected);
    return true;
}

} // namespace koril::filesystem
