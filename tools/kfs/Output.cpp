#include "Output.h"

#include <cstdio>

namespace kfs {

void printLine(std::string const& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
}

void printText(std::string const& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

void printField(std::string const& label, std::string const& value) {
    printLine(label + ": " + (value.empty() ? std::string("(empty)") : value));
}

void printError(std::string const& message) {
    std::string line = "kfs: " + message;
    for (char& c : line) {
        if (c == '\n' || c == '\r') {
            c = '?';
        }
    }
    // Keep the order of what was printed so far when both streams go to one place.
    std::fflush(stdout);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
}

void flushOutput() {
    std::fflush(stdout);
}

std::string utf8(String const& text) {
    return text.toUTF8String();
}

std::string utf8(Path const& path) {
    return path.string().toUTF8String();
}

std::string utf8(std::wstring const& text) {
    return String(text).toUTF8String();
}

std::string typeName(FileType type) {
    switch (type) {
    case koril::filesystem::FileNotFound:
        return "not found";
    case koril::filesystem::StatusUnknown:
        return "unknown";
    case koril::filesystem::RegularFile:
        return "file";
    case koril::filesystem::DirectoryFile:
        return "directory";
    case koril::filesystem::SymbolicLinkFile:
        return "symlink";
    }
    return "type " + std::to_string(static_cast<int>(type));
}

std::string permissionsText(Permissions permissions) {
    if (permissions == koril::filesystem::PermissionsUnknown) {
        return "unknown";
    }
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04o", static_cast<unsigned>(permissions));
    return digits;
}

std::array<PermissionName, 3> const& permissionNames() {
    static std::array<PermissionName, 3> const names = {
        {{koril::filesystem::OwnerRead, "read"},
         {koril::filesystem::OwnerWrite, "write"},
         {koril::filesystem::OwnerExecute, "execute"}}};
    return names;
}

std::string boolText(bool value) {
    return value ? "true" : "false";
}

std::string yesNo(bool value) {
    return value ? "yes" : "no";
}

} // namespace kfs
