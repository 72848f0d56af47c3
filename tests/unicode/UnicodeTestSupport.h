#ifndef KORIL_TESTS_UNICODE_UNICODETESTSUPPORT_H
#define KORIL_TESTS_UNICODE_UNICODETESTSUPPORT_H

#include <koril/unicode/String.h>

#include <cstdlib>
#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace koril::testing {

// The path of a Unicode Character Database file in `folder`, a POSIX path given by the build;
// under Wine the POSIX root is drive Z:.
inline std::string unicodeDataFile(char const* folder, char const* name) {
#ifdef _WIN32
    return std::string("Z:") + folder + "/" + name;
#else
    return std::string(folder) + "/" + name;
#endif
}

// The code points of a space-separated list of hexadecimal numbers, such as "0041 0301".
inline unicode::String parseCodePoints(std::string const& hexList) {
    unicode::String result;
    std::istringstream in(hexList);
    std::string item;
    while (in >> item)
        result += static_cast<unsigned int>(std::strtoul(item.c_str(), nullptr, 16));
    return result;
}

inline std::string formatCodePoints(unicode::String const& text) {
    std::ostringstream out;
    out << std::hex << std::uppercase;
    for (unsigned int c : text)
        out << (out.tellp() > 0 ? " " : "") << c;
    return out.str();
}

// Collects the failures of a sweep over many cases and reports the first few when destroyed, so
// that one broken table does not flood the log.
class FailureLog {
public:
    FailureLog() = default;
    FailureLog(FailureLog const&) = delete;
    FailureLog& operator=(FailureLog const&) = delete;
    ~FailureLog() { EXPECT_EQ(count_, 0u) << messages_; }

    void add(std::string const& message) {
        if (count_++ < 20)
            messages_ += message + "\n";
    }

private:
    unsigned int count_ = 0;
    std::string messages_;
};

} // namespace koril::testing

#endif
