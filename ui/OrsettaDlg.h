#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "CComboBox.h"
#include "CDataExchange.h"
#include "CDialog.h"
#include "CListBox.h"
#include "resource.h"

#include <shellapi.h>

// The settings dialog: the movie list and the four options. The list box is the working
// copy of the list while the dialog is open; only OK hands it and the options back to the
// application object (InitialDir alone changes at once, when files are added).
class COrsettaDlg : public CDialog {
public:
    explicit COrsettaDlg(CWnd* parent = nullptr);
    ~COrsettaDlg() override;

    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;

    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnDropFiles(HDROP drop);
    void OnHelpButton();
    void OnAddFiles();
    void OnDeleteSelected();
    void OnDeleteAll();
    void OnMoveUp();
    void OnMoveDown();

    // Widens the list's horizontal scroll range to fit text; it never narrows.
    void UpdateHorizontalExtent(const wchar_t* text);
    void MoveItemUp(int index);
    void MoveItemDown(int index);
    // Controls to members to the application object; false when the exchange failed.
    bool StoreToSettings();
    // InitialDir = drive and folder of path; unchanged when the path's parts do not fit.
    void SetInitialDirFrom(const wchar_t* path);
    // Appends a path the user adds in a form the list file gives back (its short form when
    // the path itself is not); a path with neither is left out and noted in `lost`.
    // Returns the text appended, empty when none.
    std::wstring AppendAddedPath(const std::wstring& path, std::vector<std::wstring>& lost);
    // One message, after a whole add or drop, naming the paths that were left out.
    void ReportLostPaths(const std::vector<std::wstring>& lost);

    int32_t maxTextExtent = 0;
    HICON hIcon = nullptr;
    CListBox fileListBox;
    int shuffle = 0;
    int continuePlay = 0;
    int mute = 0;
    CComboBox screenCountCombo;
    int screenCountIndex = -1;

    DECLARE_MESSAGE_MAP()
};
