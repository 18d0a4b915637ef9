#pragma once
#include "platform/framework/CommandTarget.h"

// The document of a single-document program: it takes commands on their
// way from the view to the frame; what it holds is the derived class's.
class Document : public CommandTarget {
public:
    // A new, empty document; false fails the "new" command.
    virtual bool OnNewDocument() { return true; }
};
