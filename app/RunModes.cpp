// The three run modes, each handing over to the windows of its subsystem.
#include "HangGuard.h"
#include "OrsettaApp.h"
#include "OrsettaDlg.h"
#include "WndPreview.h"
#include "WndSaverBase.h"

BOOL COrsettaApp::RunConfiguration(HWND owner) {
    COrsettaDlg dialog(owner != nullptr ? CWnd::FromHandle(owner) : nullptr);
    m_pMainWnd = &dialog;
    // Only OK hands the dialog's values over; anything else saves nothing.
    if (dialog.DoModal() == IDOK)
        SaveSettings();
    m_pMainWnd = nullptr;
    // Help opened from the dialog stays open until the user closes it.
    ServeHelpWindows();
    return FALSE;
}

BOOL COrsettaApp::StartPreview(HWND host) {
    RECT client = {};
    if (!::GetClientRect(host, &client))
        return FALSE;
    auto* preview = new CWndPreview;
    if (!preview->Create(host, client)) {
        delete preview;
        return FALSE;
    }
    m_pMainWnd = preview;
    return TRUE;
}

BOOL COrsettaApp::StartSaver() {
    const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    auto* host = new CWndSaverBase;
    if (!host->Create(screen)) {
        delete host;
        return FALSE;
    }
    m_pMainWnd = host;
    (void)StartHangGuard(host->m_hWnd); // without it the saver runs as before
    return TRUE;
}
