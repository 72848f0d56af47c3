#include "Tour.h"

#include "Output.h"

#include <koril/filesystem/Operations.h>

#include <cstdio>

namespace kfs {

using namespace koril::filesystem;

void Tour::setBase(Path const& base) {
    base_ = base;
}

Path Tour::at(std::string const& relative) const {
    return base_ / Path(relative);
}

std::string Tour::show(Path const& path) const {
    return show(path.string());
}

std::string Tour::show(String const& text) const {
    String const& base = base_.string();
    if (!base.empty() && text.size() >= base.size() &&
        String(text.begin(), text.begin() + static_cast<long>(base.size())) == base) {
        return "\"<tour>" +
               String(text.begin() + static_cast<long>(base.size()), text.end()).toUTF8String() +
               "\"";
    }
    return "\"" + text.toUTF8String() + "\"";
}

void Tour::section(std::string const& title) {
    ++sections_;
    printLine("");
    printLine("== " + std::to_string(sections_) + ". " + title);
}

void Tour::note(std::string const& text) {
    printLine("   " + text);
}

bool Tour::expect(std::string const& call, std::string const& result, std::string const& expected,
                  std::string const& why) {
    return check(call, result, result == expected, why, expected);
}

bool Tour::expect(std::string const& call, bool result, bool expected, std::string const& why) {
    return expect(call, boolText(result), boolText(expected), why);
}

bool Tour::check(std::string const& call, std::string const& result, bool ok,
                 std::string const& why, std::string const& wanted) {
    if (ok) {
        ++passed_;
        report(call, result, why, "ok");
    } else {
        ++failed_;
        failures_.push_back(call);
        report(call, result, why, "FAILED: expected " + wanted);
    }
    return ok;
}

void Tour::skip(std::string const& call, std::string const& reason) {
    ++skipped_;
    report(call, "(not shown)", reason, "skipped: this platform cannot show it");
}

void Tour::broken(std::string const& where, std::string const& what) {
    ++failed_;
    failures_.push_back(where);
    report(where, "exception: " + what, "no step of the tour expects an exception here",
           "FAILED: the section stopped");
}

void Tour::report(std::string const& call, std::string const& result, std::string const& why,
                  std::string const& verdict) {
    printLine(call);
    printLine("   -> " + result);
    printLine("   why: " + why);
    printLine("   " + verdict);
}

int Tour::summary() const {
    printLine("");
    for (std::string const& failure : failures_) {
        printLine("failed: " + failure);
    }
    printLine("tour: " + std::to_string(passed_) + " steps ok, " + std::to_string(failed_) +
              " failed, " + std::to_string(skipped_) + " skipped");
    return failed_ == 0 ? 0 : 1;
}

bool writeTextFile(Path const& path, std::string const& contents, char const* mode) {
    std::FILE* file = fopenWrapper(path, mode);
    if (file == nullptr) {
        return false;
    }
    bool const written = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
    return std::fclose(file) == 0 && written;
}

std::string readTextFile(Path const& path) {
    std::string contents;
    std::FILE* file = fopenWrapper(path, "rb");
    if (file == nullptr) {
        return contents;
    }
    char buffer[1024];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        contents.append(buffer, count);
    }
    std::fclose(file);
    return contents;
}

std::string elementList(Path const& path) {
    std::string list;
    for (Path const& element : path) {
        list += (list.empty() ? "" : ", ") + utf8(element);
    }
    return "[" + list + "]";
}

std::string codePoints(String const& text) {
    std::string shown;
    for (unsigned int c : text) {
        if (c < 128) {
            shown += static_cast<char>(c);
        } else {
            char code[16];
            std::snprintf(code, sizeof code, "<U+%04X>", c);
            shown += code;
        }
    }
    return shown;
}

} // namespace kfs
