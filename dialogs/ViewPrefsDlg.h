#pragma once
#include "platform/shell/Dialog.h"

// "View Preferences": the sort column and direction, the list view's
// columns (Name is always shown, so it has no box), turning pictures to
// fit the screen, following the camera's orientation and being the
// default viewer for JPEG files. The values are read when it opens; OK
// writes them all in one save of the preferences, Cancel writes nothing.
// OK does nothing while no sort entry is chosen.
class ViewPrefsDlg : public Dialog {
public:
    ViewPrefsDlg();

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(DataExchange& exchange) override;

private:
    void ReadPreferences();
    void WritePreferences() const;

    int m_sortIndex = -1;
    int m_ascending = 0;
    int m_showLocation = 0;
    int m_showCategory = 0;
    int m_showSize = 0;
    int m_showDimensions = 0;
    int m_showDate = 0;
    int m_showNote = 0;
    int m_autoRotate = 0;
    int m_defaultViewer = 0;
    int m_followCamera = 0;
};
