#include "platform/StandardControls.h"

#include "platform/ButtonControl.h"
#include "platform/ComboBoxControl.h"
#include "platform/EditControl.h"
#include "platform/ListBoxControl.h"
#include "platform/ListViewControl.h"
#include "platform/ScrollBarControl.h"
#include "platform/StaticControl.h"

void RegisterStandardControls() {
    RegisterStaticClass();
    RegisterButtonClass();
    RegisterEditClass();
    RegisterListBoxClass();
    RegisterComboBoxClass();
    RegisterScrollBarClass();
    RegisterListViewClasses();
}
