#pragma once
#include <string>

#include "CWnd.h"

// The standard help command.
#ifndef ID_HELP
#define ID_HELP 0xE146
#endif

// The process's single application object. Its constructor registers it as the current
// application; AfxWinMain then runs InitInstance and, when that returns TRUE, the message
// loop until the main window is destroyed.
class CWinApp : public CCmdTarget {
public:
    CWinApp();
    ~CWinApp() override;

    virtual BOOL InitInstance();
    // The message loop; returns the quit message's exit code.
    virtual int Run();
    virtual int ExitInstance();

    // Profile functions. With a profile file name set they work on that INI file through
    // the private-profile functions.
    std::wstring GetProfileString(const wchar_t* section, const wchar_t* entry,
                                  const wchar_t* defaultValue = nullptr) const;
    UINT GetProfileInt(const wchar_t* section, const wchar_t* entry, int defaultValue) const;
    BOOL WriteProfileString(const wchar_t* section, const wchar_t* entry, const wchar_t* value);
    BOOL WriteProfileInt(const wchar_t* section, const wchar_t* entry, int value);

    // The standard help command's handler. The framework knows no help file of its own, so
    // the default does nothing; an application with help overrides it (AfxHtmlHelp opens
    // HTML Help).
    virtual void OnHelp();
    // Serves messages for as long as a help window of the process is shown, so that help
    // stays open after the window it was asked from has gone; returns at once when there
    // is none.
    void ServeHelpWindows();

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    // The program file's base name; the caption of the application's message boxes.
    const wchar_t* m_pszAppName = nullptr;
    // Full path of the INI file; heap memory from malloc (wcsdup), owned by this object.
    const wchar_t* m_pszProfileName = nullptr;

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    const AFX_MSGMAP* GetMessageMap() const override;

private:
    friend int AfxWinMain(HINSTANCE instance, int showCommand);
    void SetUpNames(HINSTANCE instance);
    std::wstring m_appName;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();

// A message box owned by the main window (or the active one), captioned with the
// application's name. An OK-only box without an icon gets the exclamation icon.
int AfxMessageBox(const wchar_t* text, UINT type = MB_OK, UINT helpId = 0);

// The framework's entry: called by the program's wWinMain.
int AfxWinMain(HINSTANCE instance, int showCommand);
