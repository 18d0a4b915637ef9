#pragma once
#include "platform/framework/Document.h"

// The program's document. The photos live in the browser view's
// catalogue; the document only carries commands along their route and
// one number for whoever needs it.
class CKestrelviewDoc : public Document {
public:
    int GetValue() const { return m_value; }
    void SetValue(int value) { m_value = value; }

private:
    int m_value = 0;
};
