// Library text to POSIX bytes and back, and the drive table that gives root names a directory.
//
// A POSIX name is any byte string without `/` and NUL, so it may hold `\` (a separator to the
// library) and bytes that are not UTF-8. Both get code points of their own, chosen so that a
// listed name always leads back to that same entry: `\` is U+F05C, and each byte of a sequence
// that is not well-formed UTF-8 (or that spells U+F05C or U+DC80..U+DCFF itself) is
// U+DC80..U+DCFF. Other lone surrogates travel in their three-byte form.

#include "platform/posix/Handles.h"

#include <koril/filesystem/Operations.h>
#include <koril/unicode/Utf8.h>

#include <array>
#include <atomic>
#include <mutex>
#include <type_traits>

namespace koril::filesystem {

namespace {

constexpr unsigned int backslashName = 0xF05C;
constexpr unsigned int firstByteEscape = 0xDC80;
constexpr unsigned int lastByteEscape = 0xDCFF;

constexpr bool isSeparator(unsigned int c) {
    return c == '\\' || c == '/';
}
constexpr bool isHighSurrogate(unsigned int c) {
    return c - 0xD800 < 0x400;
}
constexpr bool isLowSurrogate(unsigned int c) {
    return c - 0xDC00 < 0x400;
}
int driveIndex(unsigned int letter) {
    unsigned int const lower = letter | 0x20;
    return lower - 'a' < 26 ? static_cast<int>(lower - 'a') : -1;
}

struct Mapping {
    std::string directory; // absolute, as given
    std::string resolved;  // links resolved when it was mapped, to recognise final paths too
};

struct DriveTable {
    std::mutex mutex;
    std::array<Mapping, 26> drives;
    // Spares every translation the lock while nothing is mapped, the usual case.
    std::atomic<bool> anyMapping{false};
};

DriveTable& driveTable() {
    static DriveTable table;
    return table;
}

bool mappedDirectory(unsigned int letter, std::string& directory) {
    DriveTable& table = driveTable();
    if (!table.anyMapping.load())
        return false;
    std::lock_guard<std::mutex> lock(table.mutex);
    directory = table.drives[static_cast<std::size_t>(driveIndex(letter))].directory;
    return !directory.empty();
}

// True when `directory` is `path` or one of its ancestors.
bool holds(std::string const& directory, std::string const& path) {
    if (directory.empty() || path.compare(0, directory.size(), directory) != 0)
        return false;
    return path.size() == directory.size() || directory == "/" || path[directory.size()] == '/';
}

bool escaped(unicode::Utf8Sequence const& sequence) {
    unsigned int const c = sequence.codePoint;
    return !sequence.wellFormed || c == backslashName ||
           (c >= firstByteEscape && c <= lastByteEscape);
}

// Hands `put` the library text of POSIX bytes, code point by code point; with
// `slashesSeparate`, `/` is the separator `\`. Every listed name passes here.
template <class Put>
void decodeBytes(char const* bytes, std::size_t size, bool slashesSeparate, Put put) {
    std::size_t i = 0;
    while (i < size) {
        auto const byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80) {
            put(byte == '\\' ? backslashName : byte == '/' && slashesSeparate ? '\\' : byte);
            ++i;
            continue;
        }
        unicode::Utf8Sequence const sequence = unicode::decodeUtf8(bytes + i, size - i, true);
        bool escape = escaped(sequence);
        std::size_t end = i + sequence.length;
        // A high surrogate followed by a low one (an escape is one) would pair up in UTF-16 and
        // come back as another name. Whether the last of a run of high surrogates is followed by
        // one decides for the whole run: if it is escaped, so is the one before it, and so on.
        if (!escape && isHighSurrogate(sequence.codePoint)) {
            for (;;) {
                if (end == size)
                    break;
                unicode::Utf8Sequence const after =
                    unicode::decodeUtf8(bytes + end, size - end, true);
                if (escaped(after) || isLowSurrogate(after.codePoint)) {
                    escape = true;
                    break;
                }
                if (!isHighSurrogate(after.codePoint))
                    break;
                end += after.length;
            }
            if (!escape) { // the run as it is, one surrogate after another
                for (; i < end; i += 3)
                    put(unicode::decodeUtf8(bytes + i, 3, true).codePoint);
                continue;
            }
        }
        if (escape) {
            for (; i < end; ++i)
                put(0xDC00 + static_cast<unsigned char>(bytes[i]));
        } else {
            put(sequence.codePoint);
            i = end;
        }
    }
}

// Appends the library text of POSIX bytes. The code points gather in a buffer on the stack that
// goes to the storage in one piece (a name is at most 255 bytes), rather than one at a time.
void appendText(char const* bytes, std::size_t size, bool slashesSeparate,
                String::storage_type& out) {
    unsigned int buffer[256];
    std::size_t used = 0;
    decodeBytes(bytes, size, slashesSeparate, [&](unsigned int codePoint) {
        if (used == sizeof buffer / sizeof buffer[0]) {
            out.append(buffer, used);
            used = 0;
        }
        buffer[used++] = codePoint;
    });
    out.append(buffer, used);
}

String textOf(char const* bytes, std::size_t size, bool slashesSeparate) {
    String::storage_type text;
    appendText(bytes, size, slashesSeparate, text);
    return String(std::move(text));
}

} // namespace

bool setDriveMapping(String const& rootName, Path const& directory) {
    if (rootName.size() != 2 || rootName[1] != ':' || driveIndex(rootName[0]) < 0)
        return false;
    Mapping mapping;
    if (!directory.empty()) {
        mapping.directory = platform::nativeOf(directory.string().toNativeString());
        if (mapping.directory.empty())
            return false;
        if (mapping.directory.front() != '/') {
            std::string const base = platform::posix::workingDirectory();
            if (base.empty())
                return false;
            mapping.directory = base + '/' + mapping.directory;
        }
        while (mapping.directory.size() > 1 && mapping.directory.back() == '/')
            mapping.directory.pop_back();
        platform::posix::resolvedPath(AT_FDCWD, mapping.directory.c_str(), mapping.resolved);
    }
    DriveTable& table = driveTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    table.drives[static_cast<std::size_t>(driveIndex(rootName[0]))] = std::move(mapping);
    bool any = false;
    for (Mapping const& drive : table.drives)
        any = any || !drive.directory.empty();
    table.anyMapping.store(any);
    return true;
}

namespace platform {

NativeName nativeOf(Path const& path) {
    return nativeOf(path.nativeString());
}

NativeName nativeOf(std::wstring const& nativeString) {
    using Unit = std::make_unsigned_t<wchar_t>;
    auto const unit = [&](std::size_t i) { return static_cast<Unit>(nativeString[i]); };
    std::size_t const size = nativeString.size();
    std::size_t i = 0;
    bool const prefixed = nativeString.compare(0, 4, L"\\\\?\\") == 0;
    if (prefixed)
        i = 4;
    NativeName native;
    if (size - i >= 2 && unit(i + 1) == ':' && driveIndex(unit(i)) >= 0) {
        if (!mappedDirectory(unit(i), native))
            return NativeName();
        i += 2;
        if (i < size && native.back() != '/')
            native += '/';
        if (i < size && isSeparator(unit(i)))
            ++i;
    } else if ((size - i >= 2 && isSeparator(unit(i)) && isSeparator(unit(i + 1))) ||
               (prefixed && (i == size || !isSeparator(unit(i))))) {
        return NativeName(); // UNC and device forms, and a prefix before what is no path
    }
    native.reserve(native.size() + size - i);
    for (; i < size && unit(i) != 0; ++i) {
        unsigned int const c = unit(i);
        if (c < 0x80) {
            native += isSeparator(c) ? '/' : static_cast<char>(c);
        } else if (c == backslashName) {
            native += '\\';
        } else if (isHighSurrogate(c) && i + 1 < size && isLowSurrogate(unit(i + 1))) {
            unicode::appendUtf8(0x10000 + ((c - 0xD800) << 10) + (unit(i + 1) - 0xDC00), native);
            ++i;
        } else if (c >= firstByteEscape && c <= lastByteEscape) {
            native += static_cast<char>(c - 0xDC00);
        } else {
            unicode::appendUtf8(c, native);
        }
    }
    return native;
}

String textOfName(NativeName const& name) {
    return textOf(name.data(), name.size(), false);
}

std::wstring_view unitsOfName(NativeName const& name, std::wstring& buffer) {
    buffer.clear();
    decodeBytes(name.data(), name.size(), false, [&buffer](unsigned int codePoint) {
        if (codePoint < 0x10000) {
            buffer += static_cast<wchar_t>(codePoint);
        } else {
            buffer += static_cast<wchar_t>(0xD800 + ((codePoint - 0x10000) >> 10));
            buffer += static_cast<wchar_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
        }
    });
    return buffer;
}

Path pathOf(Location location) {
    if (location.directory != nullptr)
        return pathOf(*location.directory) / Path(textOfName(location.name));
    if (!location.name.empty() && location.name.front() == '/')
        return posix::libraryPathOf(location.name);
    return Path(textOf(location.name.data(), location.name.size(), true));
}

Path posix::libraryPathOf(std::string const& absolute) {
    String::storage_type text;
    std::size_t rest = 0;
    DriveTable& table = driveTable();
    if (table.anyMapping.load()) {
        std::lock_guard<std::mutex> lock(table.mutex);
        std::size_t deepest = 0;
        for (std::size_t drive = 0; drive < table.drives.size(); ++drive) {
            for (std::string const* directory :
                 {&table.drives[drive].directory, &table.drives[drive].resolved}) {
                if (holds(*directory, absolute) && directory->size() > deepest) {
                    deepest = directory->size();
                    text = {'A' + static_cast<unsigned int>(drive), ':'};
                    // The root's `/` belongs to the rest of the path.
                    rest = *directory == "/" ? 0 : directory->size();
                }
            }
        }
        if (!text.empty() && rest == absolute.size())
            text += '\\';
    }
    appendText(absolute.data() + rest, absolute.size() - rest, true, text);
    return Path(String(std::move(text)));
}

} // namespace platform

} // namespace koril::filesystem
