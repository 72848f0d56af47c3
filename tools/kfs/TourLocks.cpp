// Tour: a lock held and seen from the lock check, and the opening that respects it.

#include "Output.h"
#include "Tour.h"

#include <koril/filesystem/FileLock.h>
#include <koril/filesystem/Operations.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace kfs {

using namespace koril::filesystem;

void tourLocks(Tour& tour) {
    tour.section("File locks");
    Path const file = tour.at("Donn\u00e9es\\ReadMe.TXT");
    std::string const before = readTextFile(file);
    FileLock lock;
    tour.expect("lock.lockFile(" + tour.show(file) + ")", lock.lockFile(file), true,
                "an exclusive lock over the whole file, held through an open handle");
    tour.expect("FileLock::isFileLocked(" + tour.show(file) + ")", FileLock::isFileLocked(file),
                true, "the file cannot be opened for exclusive use while the lock is held");
    std::FILE* refused = fopenWrapperWithLockCheck(file, "w");
    bool const wasRefused = refused == nullptr;
    if (refused != nullptr) {
        std::fclose(refused);
    }
    tour.expect("fopenWrapperWithLockCheck(" + tour.show(file) + ", \"w\") == nullptr", wasRefused,
                true, "a file in use is refused before it could be truncated");
    std::fstream stream;
    fstreamWrapperWithLockCheck(stream, file, static_cast<int>(std::ios::in | std::ios::out));
    tour.expect("fstreamWrapperWithLockCheck(stream, " + tour.show(file) +
                    ", in | out); stream.is_open(), stream.good()",
                boolText(stream.is_open()) + ", " + boolText(stream.good()), "false, true",
                "a file in use is not opened, and the stream is left as it was");
    lock.unlockFile();
    tour.expect("lock.unlockFile(); readTextFile(...) unchanged", readTextFile(file) == before,
                true, "the refused open left the contents alone");
    tour.expect("FileLock::isFileLocked(" + tour.show(file) + ")", FileLock::isFileLocked(file),
                false, "after unlockFile the handle is closed and the file free");
    std::fstream reader;
    fstreamWrapper(reader, file, static_cast<int>(std::ios::in | std::ios::binary));
    std::string firstLine;
    std::getline(reader, firstLine);
    tour.expect("fstreamWrapper(reader, " + tour.show(file) + ", in); getline(reader, line)",
                boolText(reader.is_open()) + ", \"" + firstLine + "\"", "true, \"Read me first.\"",
                "a free file opens as a standard stream");
    reader.close();
    Path const missing = tour.at("Donn\u00e9es\\no-such-file.txt");
    tour.expect("lock.lockFile(" + tour.show(missing) + ")", lock.lockFile(missing), false,
                "a lock never creates the file");
    tour.expect("exists(" + tour.show(missing) + ")", exists(missing), false,
                "nothing was created");
    tour.expect("lock.lockFile(" + tour.show(tour.at("Donn\u00e9es")) + ")",
                lock.lockFile(tour.at("Donn\u00e9es")), false, "directories cannot be locked");
}

} // namespace kfs
