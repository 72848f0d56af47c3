#include <koril/filesystem/Path.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using koril::filesystem::Path;
using koril::unicode::String;

std::vector<String> elementsOf(Path const& p) {
    std::vector<String> elements;
    for (auto it = p.begin(); it != p.end(); ++it) {
        elements.push_back(it->string());
        if (elements.size() > 1000)
            break; // A broken end test must not hang the suite.
    }
    return elements;
}

std::vector<String> texts(std::initializer_list<char const*> list) {
    std::vector<String> result;
    for (char const* text : list)
        result.emplace_back(text);
    return result;
}

TEST(PathIteration, VisitsRootNameRootDirectoryNamesAndTrailingDot) {
    struct Case {
        char const* text;
        std::vector<String> elements;
    } const cases[] = {
        {R"(C:\dir\file)", texts({"C:", R"(\)", "dir", "file"})},
        {R"(C:\dir\)", texts({"C:", R"(\)", "dir", "."})},
        {"C:", texts({"C:"})},
        {R"(C:\)", texts({"C:", R"(\)"})},
        {"C:file", texts({"C:", "file"})},
        {R"(C:\\\a)", texts({"C:", R"(\)", "a"})},
        {R"(\\server\share\x)", texts({R"(\\server)", R"(\)", "share", "x"})},
        {R"(\dir)", texts({R"(\)", "dir"})},
        {R"(\)", texts({R"(\)"})},
        {R"(dir\\file)", texts({"dir", "file"})},
        {R"(a\b\)", texts({"a", "b", "."})},
        {R"(..\x)", texts({"..", "x"})},
        {R"(a\b:c)", texts({R"(a\b:)", "c"})},
        {R"(\\\x)", texts({R"(\)", "", "x"})},
        {"", texts({})},
        {"file", texts({"file"})},
        {R"(\\server)", texts({R"(\\server)"})},
        {R"(\\server\)", texts({R"(\\server)", R"(\)"})},
        {R"(C:\\)", texts({"C:", R"(\)"})},
        {R"(dir\\\)", texts({"dir", "."})},
        {R"(C:x\)", texts({"C:", "x", "."})},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(elementsOf(Path(c.text)), c.elements);
    }
}

TEST(PathIteration, CopiesOfAnIteratorWalkOnIndependently) {
    Path const p(R"(C:\a\b)");
    auto first = p.begin();
    auto copy = first;
    ++first;
    EXPECT_EQ(copy->string(), String("C:"));
    EXPECT_EQ(first->string(), String(R"(\)"));
    ++copy;
    EXPECT_TRUE(copy == first);
    auto old = first++;
    EXPECT_EQ(old->string(), String(R"(\)"));
    EXPECT_EQ(first->string(), String("a"));
}

TEST(PathIteration, LongAndOddTextsEndTheWalk) {
    String text;
    for (int i = 0; i < 5000; ++i)
        text += String(R"(ab\)");
    EXPECT_EQ(elementsOf(Path(text)).size(), 1001u); // capped by the helper
    std::size_t count = 0;
    Path const deep(text);
    for (auto const& element : deep) {
        (void)element;
        ++count;
    }
    EXPECT_EQ(count, 5001u);

    String separators(3000, '\\');
    EXPECT_EQ(elementsOf(Path(separators)), texts({R"(\)", "", "."}));
    EXPECT_EQ(elementsOf(Path(String(2, ':'))), texts({":", ":"}));
}

} // namespace
