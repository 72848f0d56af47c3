// Takes a path apart, makes a few entries in a scratch directory, lists them and cleans up.
// Exits 0 when the listing shows what was made.

#include <koril/filesystem.h>

#include <chrono>
#include <cstdio>

int main() {
    using namespace koril::filesystem;

    std::printf("koril::filesystem %s\n", KORIL_FILESYSTEM_VERSION_STRING);
    Path const report("C:/Users/guest/Documents/report.txt");
    std::printf("%s: parent %s, file name %s\n", report.string().toUTF8String().c_str(),
                report.parentPath().string().toUTF8String().c_str(),
                report.filename().string().toUTF8String().c_str());

    int listed = 0;
    {
        // Removed with everything in it at the end of this scope.
        TemporaryDirectory scratch(String("consumer-"), std::chrono::hours(1));
        Path const base = scratch.get();
        createDirectory(base / Path("pictures"));
        for (char const* name : {"notes.txt", "r\u00e9sum\u00e9.txt"}) {
            if (std::FILE* file = fopenWrapper(base / Path(name), "wb")) {
                std::fclose(file);
            }
        }
        std::printf("%s holds:\n", base.string().toUTF8String().c_str());
        for (DirectoryIterator it(base); *it != DirectoryEntry(); ++it) {
            bool const directory = it->getStatus().getType() == DirectoryFile;
            std::printf("  %-9s %s\n", directory ? "directory" : "file",
                        it->getPath().filename().string().toUTF8String().c_str());
            ++listed;
        }
    }
    return listed == 3 ? 0 : 1;
}
