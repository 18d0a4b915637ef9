#pragma once
#include "platform/shell/Dialog.h"

// "Slide Show Preferences": how long each slide stays and whether slides
// come in random order. "Slide Show Auto-Run" has no control; it is read
// at open and written back unchanged. OK writes the three values in one
// save of the preferences (and does nothing while no duration is chosen);
// Cancel writes nothing.
class SlideShowPrefsDlg : public Dialog {
public:
    SlideShowPrefsDlg();

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(DataExchange& exchange) override;

private:
    int m_duration = -1;
    int m_random = 0;
    int m_autoRun = 0;
};
