#ifndef KORIL_UNICODE_TOKENITERATOR_H
#define KORIL_UNICODE_TOKENITERATOR_H

#include <cstddef>
#include <functional>
#include <iterator>
#include <utility>

/// @file
/// `TokenIterator`: a forward iterator over the tokens that an extractor finds in a range.

namespace koril::unicode {

/// One token produced by an extractor, and where the walk goes on.
/// @tparam Token The token type.
/// @tparam Iterator The iterator type of the range being split.
template <class Token, class Iterator> struct TokenInfo {
    Token token;   ///< The token found.
    Iterator next; ///< Where the following token starts.
    bool isLast;   ///< Whether this is the final token of the range.
};

/// Turns an extractor function into a forward iterator over the tokens of [first, last).
///
/// The extractor is called with the position where the next token starts and the end of the
/// range; it returns the token, where the following one starts and whether it is the final one.
/// Each iterator owns a copy of its extractor, so a stateful extractor is never shared between
/// copies. An empty token that is the last one marks the end. The iterator only reads the range,
/// which must outlive it unchanged; one iterator must not be used from two threads at once.
/// @tparam Token The token type; a default-constructed token is empty.
/// @tparam Iterator The iterator type of the range being split.
template <class Token, class Iterator> class TokenIterator {
public:
    using Info = TokenInfo<Token, Iterator>;                   ///< What the extractor returns.
    using Extractor = std::function<Info(Iterator, Iterator)>; ///< Finds the next token.

    using iterator_category = std::forward_iterator_tag; ///< A forward iterator.
    using value_type = Token;                            ///< The tokens.
    using difference_type = std::ptrdiff_t;              ///< A distance between positions.
    using pointer = Token const*;                        ///< Points to a token.
    using reference = Token const&;                      ///< Refers to a token.

    /// An iterator at the first token of [first, last), or at the end for an empty range.
    /// @param first The start of the range.
    /// @param last The end of the range.
    /// @param extractor Finds each token; copied into the iterator.
    TokenIterator(Iterator first, Iterator last, Extractor extractor)
        : first_(first), end_(last), tokenStart_(first),
          extractor_(std::move(extractor)), current_{Token(), first, first == last} {
        if (first != last)
            ++*this;
    }

    /// Moves to the next token, or to the end after the last one.
    /// @return This iterator.
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

    /// Moves to the next token.
    /// @return A copy of the iterator as it was before.
    TokenIterator operator++(int) {
        TokenIterator old(*this);
        ++*this;
        return old;
    }

    /// @return The current token; an empty token at the end.
    Token const& operator*() const { return current_.token; }
    /// @return The current token, for member access.
    Token const* operator->() const { return &current_.token; }

    /// Whether two iterators over the same range stand at the same token.
    /// @param a One iterator.
    /// @param b The other iterator.
    /// @return True when their positions agree.
    friend bool operator==(TokenIterator const& a, TokenIterator const& b) {
        return a.position() == b.position();
    }
    /// Whether two iterators over the same range stand at different tokens.
    /// @param a One iterator.
    /// @param b The other iterator.
    /// @return True when their positions differ.
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
