#include "JsonWriter.h"

#include <koril/unicode/Utf8.h>

#include <cstdio>

namespace kfs {

namespace {

void appendEscape(unsigned int codeUnit, std::string& out) {
    char escape[16];
    std::snprintf(escape, sizeof escape, "\\u%04x", codeUnit);
    out += escape;
}

} // namespace

std::string jsonString(koril::unicode::String const& text) {
    std::string out = "\"";
    for (unsigned int c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            // A surrogate here stands alone: paired halves arrive as one code point. JSON has no
            // UTF-8 for it, only the escape, which readers keep as the lone unit it is.
            if (c < 0x20 || (c >= 0xD800 && c <= 0xDFFF)) {
                appendEscape(c, out);
            } else {
                koril::unicode::appendUtf8(c, out);
            }
        }
    }
    return out + "\"";
}

JsonWriter& JsonWriter::beginObject() {
    open('{');
    return *this;
}

JsonWriter& JsonWriter::endObject() {
    close('}');
    return *this;
}

JsonWriter& JsonWriter::beginArray() {
    open('[');
    return *this;
}

JsonWriter& JsonWriter::endArray() {
    close(']');
    return *this;
}

JsonWriter& JsonWriter::key(char const* name) {
    startValue();
    text_ += jsonString(koril::unicode::String(name)) + ": ";
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::value(koril::unicode::String const& text) {
    startValue();
    text_ += jsonString(text);
    return *this;
}

JsonWriter& JsonWriter::value(char const* text) {
    return value(koril::unicode::String(text));
}

JsonWriter& JsonWriter::value(std::string const& text) {
    return value(koril::unicode::String(text));
}

JsonWriter& JsonWriter::value(long long number) {
    startValue();
    text_ += std::to_string(number);
    return *this;
}

JsonWriter& JsonWriter::value(bool flag) {
    startValue();
    text_ += flag ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::null() {
    startValue();
    text_ += "null";
    return *this;
}

void JsonWriter::startValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (levels_.empty()) {
        return;
    }
    if (levels_.back().hasMembers) {
        text_ += ',';
    }
    levels_.back().hasMembers = true;
    text_ += '\n';
    text_.append(2 * levels_.size(), ' ');
}

void JsonWriter::open(char bracket) {
    startValue();
    text_ += bracket;
    levels_.push_back(Level{false});
}

void JsonWriter::close(char bracket) {
    bool const hadMembers = levels_.back().hasMembers;
    levels_.pop_back();
    if (hadMembers) {
        text_ += '\n';
        text_.append(2 * levels_.size(), ' ');
    }
    text_ += bracket;
    if (levels_.empty()) {
        text_ += '\n';
    }
}

} // namespace kfs
