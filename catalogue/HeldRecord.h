#pragma once
#include "catalogue/ImageItemList.h"

// A record kept by something that waits on the user (a popup menu, a
// dialog): Get() answers nullptr once the list has given the record up,
// so that the command chosen meanwhile is not carried out on a freed one.
class CHeldRecord : public RecordRemovalListener {
public:
    CHeldRecord(CImageItemList& list, CImageItem* record);
    ~CHeldRecord() override;
    CHeldRecord(const CHeldRecord&) = delete;
    CHeldRecord& operator=(const CHeldRecord&) = delete;

    CImageItem* Get() const { return m_record; }
    void OnRecordRemoving(const CImageItem& record) override;

private:
    CImageItemList& m_list;
    CImageItem* m_record;
};
