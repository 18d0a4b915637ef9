#include "platform/gdi/GdiObjects.h"

#include "platform/gdi/DeviceContext.h"

GdiObject::~GdiObject() {
    const std::vector<DeviceContext*> contexts = m_selectedIn;
    for (DeviceContext* dc : contexts) dc->Detach(this);
}

const Brush* GetStockBrush(int object) {
    // Created once and never destroyed: contexts may still hold them while
    // the process exits.
    static const Brush* const brushes[] = {
        new Brush(RGB(255, 255, 255)), new Brush(RGB(192, 192, 192)),
        new Brush(RGB(128, 128, 128)), new Brush(RGB(64, 64, 64)),
        new Brush(RGB(0, 0, 0)),       new Brush(BS_NULL, 0),
    };
    if (object < WHITE_BRUSH || object > NULL_BRUSH) return nullptr;
    return brushes[object];
}

const Pen* GetStockPen(int object) {
    static const Pen* const pens[] = {
        new Pen(PS_SOLID, 1, RGB(255, 255, 255)),
        new Pen(PS_SOLID, 1, RGB(0, 0, 0)),
        new Pen(PS_NULL, 1, RGB(0, 0, 0)),
    };
    if (object < WHITE_PEN || object > NULL_PEN) return nullptr;
    return pens[object - WHITE_PEN];
}
