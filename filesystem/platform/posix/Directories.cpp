// Open directories: descriptors relative to their parent, listed with readdir.

#include "platform/posix/Handles.h"

#include <memory>

namespace koril::filesystem::platform {

using namespace posix;

namespace {

EntryKind kindOf(mode_t mode) {
    if (S_ISREG(mode))
        return EntryKind::file;
    if (S_ISDIR(mode))
        return EntryKind::directory;
    return S_ISLNK(mode) ? EntryKind::link : EntryKind::other;
}

bool isDotOrDotDot(char const* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool openIn(int parent, char const* name, Path path, DirectoryUse use, Directory& directory) {
    // A walk must not leave its tree through a link that replaced one of its directories.
    int const noFollow = use == DirectoryUse::walk || use == DirectoryUse::target ? O_NOFOLLOW : 0;
    Descriptor descriptor(openAt(parent, name, O_RDONLY | O_DIRECTORY | noFollow));
    if (!descriptor)
        return false;
    int const fd = descriptor.get();
    directory = Directory(new DirectoryState{std::move(path), use, fd, std::move(descriptor), {}});
    return true;
}

} // namespace

bool openDirectory(Path const& path, DirectoryUse use, Directory& directory) {
    // The empty path lists the current directory, as a search for "*" does.
    NativeName const native = path.empty() ? NativeName(".") : nativeOf(path);
    return openIn(AT_FDCWD, native.c_str(), path, use, directory);
}

bool openDirectory(Directory const& parent, NativeName const& name, DirectoryUse use,
                   Directory& directory) {
    return openIn(parent.state()->fd, name.c_str(), pathOf(at(parent, name)), use, directory);
}

ReadResult readDirectory(Directory& directory, DirectoryRecord& record) {
    DirectoryState& state = *directory.state();
    if (!state.stream) {
        DIR* const stream = systemCalls.fdopendir(state.fd);
        if (stream == nullptr)
            return ReadResult::failed;
        state.descriptor.release(); // the stream owns it now
        state.stream.reset(stream);
    }
    for (;;) {
        errno = 0;
        dirent const* const entry = systemCalls.readdir(state.stream.get());
        if (entry == nullptr)
            return errno == 0 ? ReadResult::end : ReadResult::failed;
        if (isDotOrDotDot(entry->d_name))
            continue;
        record.name = entry->d_name;
        record.kind =
            entry->d_type == DT_UNKNOWN ? EntryKind::unknown : kindOf(DTTOIF(entry->d_type));
        record.hasAttributes = false;
        struct stat info;
        // A listing reports attributes; a walk stats only what the directory does not tell.
        if ((state.use == DirectoryUse::list || record.kind == EntryKind::unknown) &&
            systemCalls.fstatat(state.fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
            record.kind = kindOf(info.st_mode);
            record.attributes = attributesOf(info);
            record.hasAttributes = true;
        }
        return ReadResult::entry;
    }
}

bool identityOf(Directory const& directory, DirectoryIdentity& identity) {
    struct stat info;
    if (systemCalls.fstat(directory.state()->fd, &info) != 0)
        return false;
    identity.volume = info.st_dev;
    identity.object = info.st_ino;
    return true;
}

Path const& pathOf(Directory const& directory) {
    return directory.state()->path;
}

void closeDirectory(DirectoryState* state) noexcept {
    delete state;
}

} // namespace koril::filesystem::platform
