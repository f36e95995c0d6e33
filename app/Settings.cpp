// The settings store: options in the INI file, the movie list in its own file.
#include "OrsettaApp.h"

#include "MovieListFile.h"

void COrsettaApp::LoadSettings() {
    InitialDir = GetProfileString(kSettingsSection, L"InitialDir", InitialDir.c_str());
    Continue = static_cast<int32_t>(GetProfileInt(kSettingsSection, L"Continue", Continue));
    Mute = static_cast<int32_t>(GetProfileInt(kSettingsSection, L"Mute", Mute));
    Shuffle = static_cast<int32_t>(GetProfileInt(kSettingsSection, L"Shuffle", Shuffle));
    ScreenCountMode =
        static_cast<int32_t>(GetProfileInt(kSettingsSection, L"ScreenCountMode", ScreenCountMode));

    const std::wstring listPath = ModuleSiblingPath(L"mflst");
    if (!listPath.empty())
        ReadMovieListFile(MovieList, listPath.c_str()); // a missing list leaves it empty
    BuildPlayOrder();
}

void COrsettaApp::SaveSettings() {
    // Failed writes leave no trace, as nothing can be done about them here.
    WriteProfileString(kSettingsSection, L"InitialDir", InitialDir.c_str());
    WriteProfileInt(kSettingsSection, L"Continue", Continue);
    WriteProfileInt(kSettingsSection, L"Mute", Mute);
    WriteProfileInt(kSettingsSection, L"Shuffle", Shuffle);
    WriteProfileInt(kSettingsSection, L"ScreenCountMode", ScreenCountMode);

    const std::wstring listPath = ModuleSiblingPath(L"mflst");
    if (!listPath.empty())
        WriteMovieListFile(listPath.c_str(), MovieList);
}
