// A program without a version resource: writes what the about box would show for it into
// the file named by its argument (UTF-16).
#include <cstdio>

#include "AboutDlg.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return 2;
    FILE* out = _wfopen(argv[1], L"wb");
    if (out == nullptr)
        return 3;
    const std::wstring text = CAboutDlg::MakeVersionString();
    const bool ok = fwrite(text.data(), sizeof(wchar_t), text.size(), out) == text.size();
    return fclose(out) == 0 && ok ? 0 : 4;
}
