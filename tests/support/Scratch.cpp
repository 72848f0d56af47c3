#include "support/Scratch.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace koril::testing {

namespace fs = std::filesystem;

namespace {

std::string uniqueName() {
    static std::atomic<unsigned> counter{0};
    std::random_device device;
    std::ostringstream name;
    name << "koril-test-" << device() << '-' << counter++;
    return name.str();
}

// Read-only entries would stop remove_all on Windows.
void makeTreeWritable(fs::path const& root) {
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(root, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::error_code ignored;
        if (!it->is_symlink(ignored))
            fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    }
}

} // namespace

ScratchDirectory::ScratchDirectory() {
    native_ = fs::temp_directory_path() / uniqueName();
    fs::create_directories(native_);
    native_ = fs::canonical(native_);
    path_ = koril::filesystem::Path(native_.u8string());
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code error;
    makeTreeWritable(native_);
    fs::remove_all(native_, error);
}

koril::filesystem::Path ScratchDirectory::operator/(std::string const& relative) const {
    return path_ / koril::filesystem::Path(relative);
}

fs::path toStd(koril::filesystem::Path const& path) {
    std::string text = path.string().toUTF8String();
#ifndef _WIN32
    for (char& c : text)
        if (c == '\\')
            c = '/';
#endif
    return fs::u8path(text);
}

void writeFile(koril::filesystem::Path const& path, std::string const& contents) {
    std::ofstream out(toStd(path), std::ios::binary | std::ios::trunc);
    out << contents;
}

std::string readFile(koril::filesystem::Path const& path) {
    std::ifstream in(toStd(path), std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

void makeDirectories(koril::filesystem::Path const& path) {
    fs::create_directories(toStd(path));
}

void makeReadOnly(koril::filesystem::Path const& path) {
    fs::permissions(toStd(path),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

bool runningUnderWine() {
#ifdef _WIN32
    HMODULE const ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

std::set<std::string> namesOnDisk(fs::path const& directory) {
    std::set<std::string> names;
    for (auto const& entry : fs::directory_iterator(directory))
        names.insert(entry.path().filename().u8string());
    return names;
}

bool existsOnDisk(koril::filesystem::Path const& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(toStd(path), error));
}

bool platformCreatesSymbolicLinks() {
    static int const answer = [] {
        ScratchDirectory scratch;
        std::error_code error;
        writeFile(scratch / "target", "x");
        fs::create_symlink(scratch.native() / "target", scratch.native() / "link", error);
        return !error && fs::is_symlink(fs::symlink_status(scratch.native() / "link", error));
    }();
    return answer != 0;
}

} // namespace koril::testing

namespace koril::filesystem {

void PrintTo(Path const& path, std::ostream* out) {
    *out << '"' << path.string().toUTF8String() << '"';
}

} // namespace koril::filesystem
