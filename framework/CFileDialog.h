#pragma once
#include <string>

#include "CWnd.h"
// After windows.h, which the lean build does not make include it.
#include <commdlg.h>

// Where a walk over the chosen files stands.
struct AfxPosition;
using POSITION = AfxPosition*;

// The platform's open- and save-file dialogs. Callers may adjust m_ofn before DoModal
// (filter, buffer, flags, initial folder, title); the buffers it points to are theirs.
class CFileDialog {
public:
    explicit CFileDialog(BOOL openFileDialog, const wchar_t* defaultExt = nullptr,
                         const wchar_t* fileName = nullptr,
                         DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                         const wchar_t* filter = nullptr, CWnd* parent = nullptr);
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;
    virtual ~CFileDialog() = default;

    // IDOK when the user chose files, IDCANCEL when cancelled or when the dialog failed.
    virtual INT_PTR DoModal();

    // Walks the chosen files: nullptr when there are none.
    POSITION GetStartPosition() const;
    // The full path at pos; moves pos to the next file, or to nullptr after the last.
    std::wstring GetNextPathName(POSITION& pos) const;

    OPENFILENAMEW m_ofn;

private:
    BOOL m_bOpenFileDialog;
    CWnd* m_pParent;
    std::wstring m_filter;
    wchar_t m_fileBuffer[MAX_PATH] = {};
};
