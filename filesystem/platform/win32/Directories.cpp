// Listing directories, and holding them while a tree is walked.

#include "platform/win32/Handles.h"

#include <memory>

namespace koril::filesystem::platform {

namespace {

bool isDotOrDotDot(wchar_t const* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

std::wstring searchPatternIn(std::wstring const& native) {
    std::wstring pattern = native;
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/')
        pattern += L'\\';
    return pattern += L'*';
}

// Holds the directory for a walk. Without FILE_SHARE_DELETE nobody can rename or remove it
// while it is held, and so replace it by a link; the open itself must not follow a link that
// is already there unless the walk follows links.
bool hold(DirectoryState& state, DirectoryUse use) {
    DWORD const flags = use == DirectoryUse::walkFollowingLinks
                            ? FILE_FLAG_BACKUP_SEMANTICS
                            : FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;
    state.directory.reset(win32::systemCalls.CreateFileW(state.native.c_str(), GENERIC_READ,
                                                         FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                         nullptr, OPEN_EXISTING, flags, nullptr));
    if (!state.directory)
        return false;
    BY_HANDLE_FILE_INFORMATION information{};
    if (!win32::systemCalls.GetFileInformationByHandle(state.directory.get(), &information))
        return false;
    DWORD const attributes = information.dwFileAttributes;
    if (use != DirectoryUse::walkFollowingLinks && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return false;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return false;
    state.identity.volume = information.dwVolumeSerialNumber;
    state.identity.object =
        (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    state.hasIdentity = true;
    return true;
}

bool startSearch(DirectoryState& state, std::wstring const& pattern) {
    state.search.reset(win32::systemCalls.FindFirstFileExW(
        pattern.c_str(), FindExInfoBasic, &state.record, FindExSearchNameMatch, nullptr, 0));
    state.recordPending = state.search.valid();
    return state.recordPending;
}

bool open(Path const& path, std::wstring const& native, std::wstring const& pattern,
          DirectoryUse use, Directory& directory) {
    auto state = std::make_unique<DirectoryState>();
    state->path = path;
    state->native = native;
    if (use != DirectoryUse::list && !hold(*state, use))
        return false;
    if (use == DirectoryUse::target)
        state->finished = ReadResult::failed;
    else if (!startSearch(*state, pattern))
        return false;
    directory = Directory(state.release());
    return true;
}

void fill(WIN32_FIND_DATAW const& found, DirectoryRecord& record) {
    record.name.assign(found.cFileName);
    DWORD const bits = found.dwFileAttributes;
    if ((bits & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        record.kind = EntryKind::link;
    else if ((bits & FILE_ATTRIBUTE_DIRECTORY) != 0)
        record.kind = EntryKind::directory;
    else
        record.kind = EntryKind::file;
    record.hasAttributes = true;
    record.attributes.bits = bits;
    record.attributes.size =
        (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
}

} // namespace

void closeDirectory(DirectoryState* state) noexcept {
    delete state;
}

bool openDirectory(Path const& path, DirectoryUse use, Directory& directory) {
    return open(path, path.nativeString(), (path / Path("*")).nativeString(), use, directory);
}

bool openDirectory(Directory const& parent, NativeName const& name, DirectoryUse use,
                   Directory& directory) {
    if (!parent.isOpen())
        return false;
    std::wstring const native = win32::nativeOf(at(parent, name));
    return open(pathOf(at(parent, name)), native, searchPatternIn(native), use, directory);
}

ReadResult readDirectory(Directory& directory, DirectoryRecord& record) {
    DirectoryState* const state = directory.state();
    if (state == nullptr)
        return ReadResult::failed;
    while (state->search) {
        if (state->recordPending) {
            state->recordPending = false;
        } else if (!win32::systemCalls.FindNextFileW(state->search.get(), &state->record)) {
            state->finished = win32::systemCalls.GetLastError() == ERROR_NO_MORE_FILES
                                  ? ReadResult::end
                                  : ReadResult::failed;
            state->search.reset();
            break;
        }
        if (!isDotOrDotDot(state->record.cFileName)) {
            fill(state->record, record);
            return ReadResult::entry;
        }
    }
    return state->finished;
}

bool identityOf(Directory const& directory, DirectoryIdentity& identity) {
    DirectoryState const* const state = directory.state();
    if (state == nullptr || !state->hasIdentity)
        return false;
    identity = state->identity;
    return true;
}

Path const& pathOf(Directory const& directory) {
    static Path const none;
    DirectoryState const* const state = directory.state();
    return state == nullptr ? none : state->path;
}

} // namespace koril::filesystem::platform
