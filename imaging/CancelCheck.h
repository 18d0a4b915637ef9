#pragma once

// Asked between rows of a long decode whether the user wants something else
// (a tap or an arrow key is waiting); the window layer answers from its
// message queue, tests with a scripted answer.
class CancelCheck {
public:
    virtual ~CancelCheck() = default;
    virtual bool ShouldCancel() = 0;
};
