#include "platform/controls/StandardControls.h"

#include "platform/controls/ButtonControl.h"
#include "platform/controls/ComboBoxControl.h"
#include "platform/controls/EditControl.h"
#include "platform/controls/ListBoxControl.h"
#include "platform/controls/ListViewControl.h"
#include "platform/controls/ScrollBarControl.h"
#include "platform/controls/StaticControl.h"

void RegisterStandardControls() {
    RegisterStaticClass();
    RegisterButtonClass();
    RegisterEditClass();
    RegisterListBoxClass();
    RegisterComboBoxClass();
    RegisterScrollBarClass();
    RegisterListViewClasses();
}
