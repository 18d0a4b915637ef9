#pragma once

// The check a long piece of work (a decode) makes between steps: has the
// user asked for something else? True when the first waiting key message
// is an arrow pressed, or a stylus press waits; that message stays queued
// and is handled once the work has returned. Other waiting key messages are
// dropped, so keys pressed meanwhile do not pile up. Looks at the queue
// without dispatching anything, so nothing runs inside the work.
class InputCancel {
public:
    bool ShouldCancel();
};
