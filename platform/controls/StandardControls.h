#pragma once

// Registers every standard control class by its name (static, button,
// edit, list box, combo box, scroll bar, list view and header), so that
// dialog templates can make them. Safe to call more than once.
void RegisterStandardControls();
