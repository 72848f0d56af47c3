#ifndef KORIL_TOOLS_KFS_JSONWRITER_H
#define KORIL_TOOLS_KFS_JSONWRITER_H

// One JSON document built in order, indented two spaces a level, for the --json forms of the
// commands.

#include <koril/unicode/String.h>

#include <string>
#include <vector>

namespace kfs {

class JsonWriter {
public:
    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    // The name of the next member of the current object.
    JsonWriter& key(char const* name);

    // A name or any other text. Control characters and lone surrogates (possible in Windows
    // names) are escaped as \uXXXX; everything else is written as UTF-8.
    JsonWriter& value(koril::unicode::String const& text);
    // UTF-8 text, escaped the same way.
    JsonWriter& value(char const* text);
    JsonWriter& value(std::string const& text);
    JsonWriter& value(long long number);
    JsonWriter& value(bool flag);
    JsonWriter& null();

    // The document, ended with a line feed once every container is closed.
    std::string const& text() const { return text_; }

private:
    // Puts the separator and the indentation before a value or a container.
    void startValue();
    void open(char bracket);
    void close(char bracket);

    struct Level {
        bool hasMembers;
    };
    std::string text_;
    std::vector<Level> levels_;
    bool afterKey_ = false;
};

// `text` as a JSON string literal, quotes included.
std::string jsonString(koril::unicode::String const& text);

} // namespace kfs

#endif
