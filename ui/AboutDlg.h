#pragma once
#include <string>

#include "CDataExchange.h"
#include "CDialog.h"
#include "resource.h"

// The about box: program icon, name, the program file's version and a copyright line.
class CAboutDlg : public CDialog {
public:
    CAboutDlg();
    ~CAboutDlg() override;

    BOOL OnInitDialog() override;

    // "Version a.bb.cccc.dddd" from the running program's file version, or all zeros when
    // the program has no readable version resource.
    static std::wstring MakeVersionString();

protected:
    void DoDataExchange(CDataExchange* dx) override;

    std::wstring versionText;

    // No messages of its own: the dialog's map (OK, Cancel) serves.
};
