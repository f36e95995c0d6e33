// The application's help: its own help file, beside the program.
#include "HtmlHelp.h"
#include "OrsettaApp.h"

void COrsettaApp::OnHelp() {
    // Orsetta.chm beside Orsetta.scr; a path that cannot be made counts as a missing file.
    const std::wstring help = ModuleSiblingPath(L"chm");
    if (help.empty() || GetFileAttributesW(help.c_str()) == INVALID_FILE_ATTRIBUTES) {
        AfxMessageBox(L"ヘルプファイルが見つかりませんでした。", MB_OK);
        return;
    }
    // Owned by the desktop, the help window outlives the window that asked for it. Nothing
    // is shown when HTML Help cannot be had, as the platform would show nothing either.
    (void)AfxHtmlHelp(GetDesktopWindow(), help.c_str(), kHelpDisplayToc, 0);
}
