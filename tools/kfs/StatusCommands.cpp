// Commands that report what the disk holds.

#include "Commands.h"
#include "IsoTime.h"
#include "JsonWriter.h"
#include "Output.h"

#include <koril/filesystem/DirectoryIterator.h>
#include <koril/filesystem/Operations.h>

#include <limits>

namespace kfs {

using namespace koril::filesystem;

namespace {

// The permissions as a list of names, or null when the library could not tell.
void writePermissions(JsonWriter& json, Permissions permissions) {
    if (permissions == PermissionsUnknown) {
        json.null();
        return;
    }
    json.beginArray();
    for (auto const& [bit, name] : permissionNames()) {
        if ((permissions & bit) != NoPermissions) {
            json.value(name);
        }
    }
    json.endArray();
}

// One path's status as a JSON object; the library's failure values (a size of -1, an empty
// canonical form, the time of a path that is not there) become null.
void writeStatus(JsonWriter& json, Path const& path, FileStatus const& followed) {
    json.beginObject();
    json.key("path").value(path.string());
    json.key("type").value(typeName(followed.getType()));
    json.key("link_type").value(typeName(symbolicLinkStatus(path).getType()));
    json.key("permissions");
    writePermissions(json, followed.getPermissions());
    long long const size = fileSize(path);
    json.key("size");
    size < 0 ? json.null() : json.value(size);
    json.key("modified");
    followed.getType() == FileNotFound ? json.null()
                                       : json.value(formatIsoTime(getModificationTime(path)));
    Path const canonicalForm = canonical(path);
    json.key("canonical");
    canonicalForm.empty() ? json.null() : json.value(canonicalForm.string());
    json.key("native").value(String(path.nativeString()));
    json.endObject();
}

void printStatus(Path const& path, FileStatus const& followed) {
    printField("path", utf8(path));
    printField("type", typeName(followed.getType()));
    printField("link type", typeName(symbolicLinkStatus(path).getType()));
    printField("permissions", permissionsText(followed.getPermissions()));
    printField("size", std::to_string(fileSize(path)));
    printField("modified", formatIsoTime(getModificationTime(path)));
    printField("canonical", utf8(canonical(path)));
    printField("native", utf8(path.nativeString()));
}

} // namespace

int runStat(Arguments& arguments) {
    bool const asJson = arguments.flag("--json");
    std::vector<String> const paths = arguments.operands(1, std::numeric_limits<size_t>::max());
    int result = exitSuccess;
    JsonWriter json;
    json.beginArray();
    for (std::size_t i = 0; i < paths.size(); ++i) {
        Path const path(paths[i]);
        FileStatus const followed = status(path);
        if (asJson) {
            writeStatus(json, path, followed);
        } else {
            if (i > 0) {
                printLine("");
            }
            printStatus(path, followed);
        }
        if (followed.getType() == FileNotFound) {
            result = arguments.fail(quoted(paths[i]) + ": not found");
        }
    }
    if (asJson) {
        printText(json.endArray().text());
    }
    return result;
}

int runLs(Arguments& arguments) {
    bool const asJson = arguments.flag("--json");
    Path const directory(arguments.operands(1, 1)[0]);
    DirectoryIterator it(directory);
    if (!it.canIterate()) {
        return arguments.fail("cannot list " + quoted(directory.string()) +
                              (exists(directory) ? "" : ": not found"));
    }
    JsonWriter json;
    json.beginObject().key("directory").value(directory.string()).key("entries").beginArray();
    DirectoryEntry const end;
    for (; *it != end; ++it) {
        FileStatus const entryStatus = it->getStatus();
        Path const name = it->getPath().filename();
        if (asJson) {
            json.beginObject();
            json.key("name").value(name.string());
            json.key("type").value(typeName(entryStatus.getType()));
            json.key("link_type").value(typeName(it->getSymlinkStatus().getType()));
            json.key("permissions");
            writePermissions(json, entryStatus.getPermissions());
            json.endObject();
        } else {
            std::string type = typeName(entryStatus.getType());
            type.resize(10, ' ');
            printLine(type + permissionsText(entryStatus.getPermissions()) + " " + utf8(name));
        }
    }
    if (asJson) {
        printText(json.endArray().endObject().text());
    }
    return exitSuccess;
}

int runPwd(Arguments& arguments) {
    arguments.operands(0, 0);
    Path const current = getCurrentDirectory();
    if (current.empty()) {
        return arguments.fail("cannot read the current directory");
    }
    printLine(utf8(current));
    return exitSuccess;
}

} // namespace kfs
