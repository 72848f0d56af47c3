// What kfs prints: the JSON of the --json forms (string escapes and the layout of nested
// containers), and how a message quotes an argument: whole when short, its two ends when long,
// and never with a control character that could break or recolour the line.

#include "Arguments.h"
#include "JsonWriter.h"

#include <gtest/gtest.h>

#include <string>

namespace kfs {
namespace {

using koril::unicode::String;

TEST(JsonString, EscapesWhatJsonCannotHoldAsItIs) {
    struct Case {
        String text;
        char const* json;
    };
    Case const cases[] = {
        {String("plain"), "\"plain\""},
        {String("a\"b\\c/d"), "\"a\\\"b\\\\c/d\""},
        {String("line\nbreak\ttab\rreturn"), "\"line\\nbreak\\ttab\\rreturn\""},
        {String(String::storage_type{0x01, 0x1F, 0x20, 0x7F}), "\"\\u0001\\u001f \x7f\""},
        {String(String::storage_type{0}), "\"\\u0000\""},
        // Lone surrogates have no UTF-8 form; the escape keeps them.
        {String(String::storage_type{'x', 0xD800}), "\"x\\ud800\""},
        {String(String::storage_type{0xDFFF, 'y'}), "\"\\udfffy\""},
        {String("caf\u00e9 \U0001F600"), "\"caf\u00e9 \U0001F600\""},
        {String(String::storage_type{0x110000}), "\"\uFFFD\""},
    };
    for (Case const& c : cases) {
        EXPECT_EQ(jsonString(c.text), c.json);
    }
}

TEST(JsonWriter, LaysOutNestedContainersWithCommasBetweenMembers) {
    JsonWriter json;
    json.beginObject();
    json.key("name").value(String("a.txt"));
    json.key("size").value(12LL);
    json.key("empty").beginArray().endArray();
    json.key("list").beginArray().value(true).null().beginObject().endObject().endArray();
    json.key("nested").beginObject().key("x").value(false).endObject();
    json.endObject();
    EXPECT_EQ(json.text(), "{\n"
                           "  \"name\": \"a.txt\",\n"
                           "  \"size\": 12,\n"
                           "  \"empty\": [],\n"
                           "  \"list\": [\n"
                           "    true,\n"
                           "    null,\n"
                           "    {}\n"
                           "  ],\n"
                           "  \"nested\": {\n"
                           "    \"x\": false\n"
                           "  }\n"
                           "}\n");
}

// The number of code points of UTF-8 text.
std::size_t codePoints(std::string const& text) {
    return String(text).size();
}

TEST(Quoted, KeepsBothEndsOfALongWord) {
    for (std::size_t length : {quotedLimit + 1, std::size_t{1000}, std::size_t{40000}}) {
        String word(length, 'm');
        word.replace(0, 5, String("START"));
        word.replace(length - 3, 3, String("END"));
        std::string const shown = quoted(word);
        EXPECT_EQ(codePoints(shown), quotedLimit + 2) << length; // with the two quotes
        EXPECT_EQ(shown.substr(0, 6), "'START");
        EXPECT_EQ(shown.substr(shown.size() - 4), "END'");
        EXPECT_NE(shown.find("\u2026"), std::string::npos);
    }
}

TEST(Quoted, CutsBetweenCodePointsNotBytes) {
    std::string const shown = quoted(String(200, 0x65E5)); // 日, three bytes each in UTF-8
    EXPECT_EQ(codePoints(shown), quotedLimit + 2);
    EXPECT_EQ(String(shown).toUTF8String(), shown) << "the text must stay well-formed UTF-8";
}

TEST(Quoted, ShowsControlCharactersAsQuestionMarks) {
    EXPECT_EQ(quoted(String("a\nb\rc\x1b[31md\x7f")), "'a?b?c?[31md?'");
}

} // namespace
} // namespace kfs
