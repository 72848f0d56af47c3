#ifndef KORIL_UNICODE_TOKENITERATOR_H
#define KORIL_UNICODE_TOKENITERATOR_H

#include <cstddef>
#include <functional>
#include <iterator>
#include <utility>

namespace koril::unicode {

// One token produced by an extractor, and where the walk goes on.
template <class Token, class Iterator> struct TokenInfo {
    Token token;
    Iterator next;
    bool isLast;
};

// Turns an extractor function into a forward iterator over the tokens of [first, last).
//
// The extractor is called with the position where the next token starts and the end of the
// range; it returns the token, where the following one starts and whether it is the final one.
// Each iterator owns a copy of its extractor, so a stateful extractor is never shared between
// copies. An empty token that is the last one marks the end.
template <class Token, class Iterator> class TokenIterator {
public:
    using Info = TokenInfo<Token, Iterator>;
    using Extractor = std::function<Info(Iterator, Iterator)>;

    using iterator_category = std::forward_iterator_tag;
    using value_type = Token;
    using difference_type = std::ptrdiff_t;
    using pointer = Token const*;
    using reference = Token const&;

    TokenIterator(Iterator first, Iterator last, Extractor extractor)
        : first_(first), end_(last), tokenStart_(first),
          extractor_(std::move(extractor)), current_{Token(), first, first == last} {
        if (first != last)
            ++*this;
    }

    TokenIterator& operator++() {
        if (current_.isLast) {
            current_.token = Token();
            tokenStart_ = end_;
        } else {
            tokenStart_ = current_.next;
            current_ = extractor_(current_.next, end_);
        }
        return *this;
    }

    TokenIterator operator++(int) {
        TokenIterator old(*this);
        ++*this;
        return old;
    }

    Token const& operator*() const { return current_.token; }
    Token const* operator->() const { return &current_.token; }

    friend bool operator==(TokenIterator const& a, TokenIterator const& b) {
        return a.position() == b.position();
    }
    friend bool operator!=(TokenIterator const& a, TokenIterator const& b) { return !(a == b); }

private:
    // A token that starts at the end (the "." after a trailing separator) still counts as one
    // position before the end, so that it is visited before the iterator equals `end()`.
    Iterator position() const {
        if (current_.token.empty() && current_.isLast)
            return end_;
        if (tokenStart_ == end_ && first_ != end_)
            return std::prev(end_);
        return tokenStart_;
    }

    Iterator first_;
    Iterator end_;
    Iterator tokenStart_;
    Extractor extractor_;
    Info current_;
};

} // namespace koril::unicode

#endif
