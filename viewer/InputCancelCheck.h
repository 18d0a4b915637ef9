#pragma once
#include "imaging/CancelCheck.h"

// Ends a long decode when the user has asked for something else: an arrow
// key pressed or the stylus put down. The message that cancelled stays
// queued and is handled once the decode has returned; other waiting key
// messages are dropped, so keys pressed during a decode do not pile up.
class InputCancelCheck : public CancelCheck {
public:
    bool ShouldCancel() override;
};
