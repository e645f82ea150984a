// The single-line test window `TForm1` (the process-wide `Form1`, made hidden at start-up): a
// list of the seven echo results of the main window's single test, and a button that runs the
// test again. The echoes themselves are sent by the main window's `cesuClick` through this
// window's ICMP client, whose reply event lists each one here.
#pragma once

#include "framework/Forms.h"
#include "framework/IcmpClient.h"
#include "framework/StdCtrls.h"

class TForm1 : public TForm {
    CLASS_INFO(TForm1, TForm)
public:
    explicit TForm1(TComponent* owner);

    TListBox* ListBox1;
    TButton* Button1;
    TIcmpClient* ICMP;

    void FormShow(TObject* Sender);
    void ICMPReply(TObject* Sender, const TIcmpReply& Reply);
    void Button1Click(TObject* Sender);
};

extern TForm1* Form1;
