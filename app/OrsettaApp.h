#pragma once
#include <cstdint>
#include <string>

#include "CWinApp.h"
#include "CommandArgs.h"
#include "Playlist.h"

// The application object: settings, the shared playlist and the renderer probe, for every
// window of the process.
class COrsettaApp : public CWinApp {
public:
    COrsettaApp();
    ~COrsettaApp() override;

    BOOL InitInstance() override;
    // In saver mode the process ends here at once, its work done.
    int ExitInstance() override;
    // Opens the help file beside the program at its table of contents; says so when it is
    // missing.
    void OnHelp() override;

    // Settings store: the INI file beside the program and the movie list file.
    void LoadSettings();
    void SaveSettings();

    // Play order: built once from the list; reshuffled each time the players use it up.
    void BuildPlayOrder();
    void ReshufflePlayOrder();

    std::wstring InitialDir;
    bool Vmr9Available = false;
    int32_t Continue = 1;
    int32_t Mute = 1;
    int32_t Shuffle = 1;
    int32_t ScreenCountMode = 1;
    bool NoPlayableMovies = false;
    MovieListType MovieList;
    RunModeId RunMode = RunModeId::None;
    uint32_t PlayPosition = 0;
    PlayOrderType PlayOrder;

protected:
    DECLARE_MESSAGE_MAP()

private:
    // The three run modes. Each returns what InitInstance returns: TRUE to run the
    // message loop with the main window set, FALSE to end the process.
    BOOL RunConfiguration(HWND owner);
    BOOL StartPreview(HWND host);
    BOOL StartSaver();
};

// The application object, as every window reaches it.
COrsettaApp* GetOrsettaApp();

// The settings section and the keys of the INI file.
inline constexpr const wchar_t* kSettingsSection = L"Ver1";

// The program file's long path with its extension replaced; empty when it cannot be had.
std::wstring ModuleSiblingPath(const wchar_t* extension);
// A window handle from its command-line value (the low 32 bits, as handles are).
HWND HandleFromValue(uint32_t value);
