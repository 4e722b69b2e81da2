#pragma once

#include <functional>

class QAbstractButton;
class QAbstractItemView;

// What Insert, Delete and Enter do in a list or grid; an empty function leaves the key to
// the view.
struct ListKeyActions
{
    std::function<void()> insert; // new
    std::function<void()> remove; // delete, after its question
    std::function<void()> enter; // edit, or the list's main command
};

// Gives a list or grid the keys of the evening: Insert, Delete and Enter (Return or the
// keypad's) run the list's commands, arrows move between rows, and Tab leaves the list for
// the next control instead of walking its cells.
void bindListKeys(QAbstractItemView *view, ListKeyActions actions);

// A key acts as its button would: not at all while the button is disabled or hidden.
std::function<void()> clickOf(QAbstractButton *button);
