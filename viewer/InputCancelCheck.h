#pragma once
#include "imaging/CancelCheck.h"
#include "platform/window/InputCancel.h"

// The window layer's cancel check in the shape the renderer takes.
class InputCancelCheck : public CancelCheck {
public:
    bool ShouldCancel() override { return m_input.ShouldCancel(); }

private:
    InputCancel m_input;
};
