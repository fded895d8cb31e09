#pragma once

#include <QtGlobal>
#include <optional>

// The wrong-question book's rule: a question enters it when it is answered wrongly and leaves it
// once it has been answered right on two attempts in a row after that.
constexpr int RightInARowToLeave = 2;

struct BookState {
    std::optional<qint64> entered; // the attempt that put the question in; none: not in the book
    int rightInARow = 0;           // right attempts since the last wrong one, while in the book

    bool InBook() const { return entered.has_value(); }
};

// The state after one more attempt (its number, and whether it was right). A wrong attempt
// while in the book keeps the question where it entered and starts the count again.
inline BookState NextBookState(BookState state, qint64 attempt, bool right)
{
    if (!right) {
        if (!state.InBook())
            state.entered = attempt;
        state.rightInARow = 0;
        return state;
    }
    if (state.InBook() && ++state.rightInARow >= RightInARowToLeave)
        return {};
    return state;
}
