// The JSON that the --json forms print: string escapes and the layout of nested containers.

#include "JsonWriter.h"

#include <gtest/gtest.h>

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

TEST(JsonWriter, NegativeNumbersAndATopLevelArray) {
    JsonWriter json;
    json.beginArray().value(-1LL).value("x").endArray();
    EXPECT_EQ(json.text(), "[\n  -1,\n  \"x\"\n]\n");
}

} // namespace
} // namespace kfs
