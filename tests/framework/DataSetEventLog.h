// The event log of the dataset tests, here and in the data engine's.
#pragma once

#include "framework/DB.h"

#include <string>
#include <vector>

// Every Before/After event of a dataset, in order, as "BeforeEdit", "AfterEdit" ...
class TDataSetEventLog : public TObject {
public:
    std::vector<std::string> Entries;

    void Attach(TDataSet* D) {
        D->BeforeOpen = TDataSetNotifyEvent(this, &TDataSetEventLog::OnBeforeOpen);
        D->AfterOpen = TDataSetNotifyEvent(this, &TDataSetEventLog::OnAfterOpen);
        D->BeforeScroll = TDataSetNotifyEvent(this, &TDataSetEventLog::OnBeforeScroll);
        D->AfterScroll = TDataSetNotifyEvent(this, &TDataSetEventLog::OnAfterScroll);
        AttachEditEvents(D);
    }
    // Only the events of the edit cycle: inserting, editing, posting, cancelling, deleting.
    void AttachEditEvents(TDataSet* D) {
        D->BeforeInsert = TDataSetNotifyEvent(this, &TDataSetEventLog::OnBeforeInsert);
        D->AfterInsert = TDataSetNotifyEvent(this, &TDataSetEventLog::OnAfterInsert);
        D->BeforeEdit = TDataSetNotifyEvent(this, &TDataSetEventLog::OnBeforeEdit);
        D->AfterEdit = TDataSetNotifyEvent(this, &TDataSetEventLog::OnAfterEdit);
        D->BeforePost = TDataSetNotifyEvent(this, &TDataSetEventLog::OnBeforePost);
        D->AfterPost = TDataSetNotifyEvent(this, &TDataSetEventLog::OnAfterPost);
        D->BeforeCancel = TDataSetNotifyEvent(this, &TDataSetEventLog::OnBeforeCancel);
        D->AfterCancel = TDataSetNotifyEvent(this, &TDataSetEventLog::OnAfterCancel);
        D->BeforeDelete = TDataSetNotifyEvent(this, &TDataSetEventLog::OnBeforeDelete);
        D->AfterDelete = TDataSetNotifyEvent(this, &TDataSetEventLog::OnAfterDelete);
        D->OnNewRecord = TDataSetNotifyEvent(this, &TDataSetEventLog::OnNew);
    }
    std::string Take() {
        std::string text;
        for (const std::string& e : Entries) text += (text.empty() ? "" : " ") + e;
        Entries.clear();
        return text;
    }

private:
    void OnBeforeOpen(TDataSet*) { Entries.push_back("BeforeOpen"); }
    void OnAfterOpen(TDataSet*) { Entries.push_back("AfterOpen"); }
    void OnBeforeInsert(TDataSet*) { Entries.push_back("BeforeInsert"); }
    void OnAfterInsert(TDataSet*) { Entries.push_back("AfterInsert"); }
    void OnBeforeEdit(TDataSet*) { Entries.push_back("BeforeEdit"); }
    void OnAfterEdit(TDataSet*) { Entries.push_back("AfterEdit"); }
    void OnBeforePost(TDataSet*) { Entries.push_back("BeforePost"); }
    void OnAfterPost(TDataSet*) { Entries.push_back("AfterPost"); }
    void OnBeforeCancel(TDataSet*) { Entries.push_back("BeforeCancel"); }
    void OnAfterCancel(TDataSet*) { Entries.push_back("AfterCancel"); }
    void OnBeforeDelete(TDataSet*) { Entries.push_back("BeforeDelete"); }
    void OnAfterDelete(TDataSet*) { Entries.push_back("AfterDelete"); }
    void OnBeforeScroll(TDataSet*) { Entries.push_back("BeforeScroll"); }
    void OnAfterScroll(TDataSet*) { Entries.push_back("AfterScroll"); }
    void OnNew(TDataSet*) { Entries.push_back("NewRecord"); }
};
