#include "catalogue/HeldRecord.h"

CHeldRecord::CHeldRecord(CImageItemList& list, CImageItem* record) : m_list(list), m_record(record) {
    m_list.AddRemovalListener(this);
}

CHeldRecord::~CHeldRecord() { m_list.RemoveRemovalListener(this); }

void CHeldRecord::OnRecordRemoving(const CImageItem& record) {
    if (&record == m_record) m_record = nullptr;
}
