#include <koril/filesystem/Operations.h>

#include <deque>

namespace koril::filesystem {

namespace {

constexpr unsigned int kSeparator = 92;

String joined(String const& left, String const& right) {
    return left + kSeparator + right;
}

} // namespace

String generateElidedPath(Path const& path, size_t maxLength, String const& ellipsis) {
    if (path.length() < maxLength)
        return path.string();

    std::deque<String> elements;
    bool leadingRoot = false;
    Path const rootDirectory("/");
    for (Path const& element : path) {
        if (element == rootDirectory) {
            if (elements.empty())
                leadingRoot = true;
            continue;
        }
        elements.push_back(element.string());
    }

    String tail;
    if (!elements.empty()) {
        tail = std::move(elements.back());
        elements.pop_back();
    }
    String head;
    if (!elements.empty()) {
        head = leadingRoot ? kSeparator + elements.front() : elements.front();
        elements.pop_front();
    }
    if (elements.empty())
        return path.string();

    std::size_t const reserve = ellipsis.length() + 2;
    auto fits = [&](String const& element) {
        return tail.length() + element.length() + head.length() + reserve < maxLength;
    };
    bool headFull = false;
    bool tailFull = false;
    while (!elements.empty()) {
        String const back = std::move(elements.back());
        elements.pop_back();
        if (!tailFull && fits(back))
            tail = joined(back, tail);
        else
            tailFull = true;
        if (elements.empty())
            break;
        String const front = std::move(elements.front());
        elements.pop_front();
        if (!headFull && fits(front))
            head = joined(head, front);
        else
            headFull = true;
    }
    if (headFull || tailFull)
        return joined(joined(head, ellipsis), tail);
    return path.string();
}

} // namespace koril::filesystem
