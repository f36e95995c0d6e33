#include "OrsettaDlg.h"

#include <cstdlib>
#include <cwchar>
#include <new>
#include <string>
#include <vector>

#include "AboutDlg.h"
#include "CFileDialog.h"
#include "ListEdit.h"
#include "MovieListFile.h"
#include "OrsettaApp.h"

#include <shellapi.h>

BEGIN_MESSAGE_MAP(COrsettaDlg, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_WM_DROPFILES()
ON_BN_CLICKED(IDC_HELP_BUTTON, OnHelpButton)
ON_BN_CLICKED(IDC_ADD, OnAddFiles)
ON_BN_CLICKED(IDC_DELETE, OnDeleteSelected)
ON_BN_CLICKED(IDC_DELETE_ALL, OnDeleteAll)
ON_BN_CLICKED(IDC_MOVE_UP, OnMoveUp)
ON_BN_CLICKED(IDC_MOVE_DOWN, OnMoveDown)
END_MESSAGE_MAP()

COrsettaDlg::COrsettaDlg(CWnd* parent) : CDialog(IDD_ORSETTA_DIALOG, parent) {
    const COrsettaApp* app = GetOrsettaApp();
    continuePlay = app->Continue;
    mute = app->Mute;
    shuffle = app->Shuffle;
    screenCountIndex = app->ScreenCountMode;
    maxTextExtent = 0;
    // A shared resource icon: the system frees it, not the dialog.
    hIcon = LoadIconW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

COrsettaDlg::~COrsettaDlg() = default;

void COrsettaDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_FILE_LIST, fileListBox);
    DDX_Check(dx, IDC_SHUFFLE, shuffle);
    DDX_Check(dx, IDC_CONTINUE, continuePlay);
    DDX_Check(dx, IDC_MUTE, mute);
    DDX_Control(dx, IDC_SCREEN_COUNT, screenCountCombo);
    DDX_CBIndex(dx, IDC_SCREEN_COUNT, screenCountIndex);
}

BOOL COrsettaDlg::OnInitDialog() {
    // The combo box is still empty here, so its selection is set below.
    CDialog::OnInitDialog();

    if (HMENU systemMenu = ::GetSystemMenu(m_hWnd, FALSE)) {
        wchar_t text[256] = {};
        if (LoadStringW(AfxGetInstanceHandle(), IDS_ABOUTBOX, text, 256) > 0 &&
            AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr)) {
            AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, text);
        }
    }

    SetIcon(hIcon, TRUE);
    SetIcon(hIcon, FALSE);

    for (const MovieEntry& entry : GetOrsettaApp()->MovieList) {
        if (fileListBox.AddString(entry.Path.c_str()) >= 0)
            UpdateHorizontalExtent(entry.Path.c_str());
    }

    // Inserting at the end never sorts, so the order stays 1, 4, 9 despite the sort style.
    screenCountCombo.InsertString(-1, L"1");
    screenCountCombo.InsertString(-1, L"4");
    screenCountCombo.InsertString(-1, L"9");
    // An index outside 0..2 leaves the box without a selection.
    screenCountCombo.SetCurSel(screenCountIndex);
    return TRUE;
}

void COrsettaDlg::OnSysCommand(UINT id, LPARAM lParam) {
    (void)lParam;
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
    } else {
        Default();
    }
}

void COrsettaDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    if (dc == nullptr)
        return;
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client = {};
    GetClientRect(&client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, hIcon);
    EndPaint(m_hWnd, &paint);
}

HCURSOR COrsettaDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(hIcon);
}

void COrsettaDlg::UpdateHorizontalExtent(const wchar_t* text) {
    auto font = reinterpret_cast<HFONT>(fileListBox.SendMessage(WM_GETFONT));
    HDC dc = ::GetDC(m_hWnd);
    if (dc == nullptr)
        return;
    HGDIOBJ oldFont = font != nullptr ? SelectObject(dc, font) : nullptr;
    SIZE size = {};
    if (GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size)) {
        const int width = size.cx + 3 * GetSystemMetrics(SM_CXBORDER);
        if (width > maxTextExtent) {
            maxTextExtent = width;
            fileListBox.SetHorizontalExtent(width);
        }
    }
    if (oldFont != nullptr)
        SelectObject(dc, oldFont);
    ReleaseDC(m_hWnd, dc);
}

void COrsettaDlg::MoveItemUp(int index) {
    listedit::MoveItemUp(fileListBox, index);
}

void COrsettaDlg::MoveItemDown(int index) {
    listedit::MoveItemDown(fileListBox, index);
}

void COrsettaDlg::OnDeleteSelected() {
    listedit::DeleteSelected(fileListBox);
}

void COrsettaDlg::OnDeleteAll() {
    listedit::DeleteAll(fileListBox);
}

void COrsettaDlg::OnMoveUp() {
    listedit::MoveSelectedUp(fileListBox);
}

void COrsettaDlg::OnMoveDown() {
    listedit::MoveSelectedDown(fileListBox);
}

bool COrsettaDlg::StoreToSettings() {
    if (!UpdateData(TRUE))
        return false;
    COrsettaApp* app = GetOrsettaApp();
    app->Continue = continuePlay;
    app->Mute = mute;
    app->Shuffle = shuffle;
    app->ScreenCountMode = screenCountIndex;

    const int count = fileListBox.GetCount();
    app->MovieList.clear();
    if (count <= 0)
        return true;
    app->MovieList.reserve(static_cast<size_t>(count));
    std::wstring text;
    for (int i = 0; i < count; ++i) {
        if (fileListBox.GetText(i, text))
            app->MovieList.push_back(MovieEntry{text, EntryState::NotTried});
    }
    return true;
}

void COrsettaDlg::OnOK() {
    if (!StoreToSettings())
        return; // the dialog stays open
    CDialog::OnOK();
}

void COrsettaDlg::SetInitialDirFrom(const wchar_t* path) {
    wchar_t drive[3], dir[256], name[256], ext[256];
    if (_wsplitpath_s(path, drive, 3, dir, 256, name, 256, ext, 256) != 0)
        return;
    wchar_t joined[MAX_PATH];
    if (_wmakepath_s(joined, MAX_PATH, drive, dir, nullptr, nullptr) != 0)
        return;
    GetOrsettaApp()->InitialDir = joined;
}

void COrsettaDlg::OnAddFiles() {
    std::wstring filter = L"すべてのファイル (*.*)|*.*|";
    for (wchar_t& c : filter) {
        if (c == L'|')
            c = L'\0';
    }
    // c_str() supplies the second NUL that closes the filter list.

    constexpr DWORD kNameBufferChars = 0xFFFE;
    std::vector<wchar_t> names(kNameBufferChars, L'\0');
    COrsettaApp* app = GetOrsettaApp();
    const std::wstring initialDir = app->InitialDir;

    CFileDialog dialog(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, nullptr,
                       nullptr);
    dialog.m_ofn.lpstrFilter = filter.c_str();
    dialog.m_ofn.nFilterIndex = 1;
    dialog.m_ofn.Flags |= OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY;
    dialog.m_ofn.lpstrFile = names.data();
    dialog.m_ofn.nMaxFile = kNameBufferChars;
    dialog.m_ofn.lpstrInitialDir = initialDir.c_str();
    dialog.m_ofn.lpstrTitle = L"ファイル選択";
    if (dialog.DoModal() != IDOK)
        return;

    std::vector<std::wstring> lost;
    bool first = true;
    POSITION pos = dialog.GetStartPosition();
    while (pos != nullptr) {
        const std::wstring path = dialog.GetNextPathName(pos);
        const std::wstring listed = AppendAddedPath(path, lost);
        // The folder in the form the list keeps (which the settings file holds too); the
        // folder as chosen when the file was left out.
        if (first)
            SetInitialDirFrom(listed.empty() ? path.c_str() : listed.c_str());
        first = false;
    }
    ReportLostPaths(lost);
}

void COrsettaDlg::OnDropFiles(HDROP drop) {
    // Counts and lengths are taken at full width: a name of 65,535 characters must not
    // wrap its buffer size to nothing.
    std::vector<std::wstring> lost;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0) + 1;
        auto* name = static_cast<wchar_t*>(GlobalAlloc(GPTR, size_t{length} * sizeof(wchar_t)));
        if (name == nullptr)
            continue; // this name is skipped; the others still come
        DragQueryFileW(drop, i, name, length);
        try {
            const std::wstring listed = AppendAddedPath(name, lost);
            if (i == 0)
                SetInitialDirFrom(listed.empty() ? name : listed.c_str());
        } catch (const std::bad_alloc&) {
            // Skipped like a name whose buffer cannot be had; the drop is still finished.
        }
        GlobalFree(name);
    }
    DragFinish(drop);
    ReportLostPaths(lost);
}

std::wstring COrsettaDlg::AppendAddedPath(const std::wstring& path,
                                          std::vector<std::wstring>& lost) {
    std::wstring listed;
    if (ListablePath(path, listed) == ListedForm::None) {
        // Written in the list file's code page it would name another file, or none.
        lost.push_back(path);
        return {};
    }
    if (fileListBox.AddString(listed.c_str()) >= 0)
        UpdateHorizontalExtent(listed.c_str());
    return listed;
}

void COrsettaDlg::ReportLostPaths(const std::vector<std::wstring>& lost) {
    if (lost.empty())
        return;
    std::wstring text = L"次のファイルは名前の文字をムービーファイルリストに保存できないため、"
                        L"追加できませんでした。\n";
    constexpr size_t kNamed = 10; // the rest are counted, so the box stays on the screen
    for (size_t i = 0; i < lost.size() && i < kNamed; ++i)
        text += L"\n" + lost[i];
    if (lost.size() > kNamed)
        text += L"\nほか" + std::to_wstring(lost.size() - kNamed) + L"件";
    AfxMessageBox(text.c_str(), MB_OK);
}

void COrsettaDlg::OnHelpButton() {
    // The standard help command's handler opens the help file for the whole program.
    AfxGetApp()->OnHelp();
}
