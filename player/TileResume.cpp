#include "TileResume.h"

#include <algorithm>
#include <vector>

#include "OrsettaApp.h"

namespace {

// The live entries; only pointers are kept, added and removed under the lock.
SRWLOCK g_listLock = SRWLOCK_INIT;
std::vector<TileResume*>* g_list = nullptr; // never freed: the guard may read it at the end

} // namespace

TileResume::TileResume(int windowIndex) : m_index(windowIndex) {
    AcquireSRWLockExclusive(&g_listLock);
    try {
        if (g_list == nullptr)
            g_list = new std::vector<TileResume*>;
        g_list->push_back(this);
    } catch (const std::bad_alloc&) {
        // Unlisted: only the guard's last-resort write misses this entry.
    }
    ReleaseSRWLockExclusive(&g_listLock);
}

TileResume::~TileResume() {
    AcquireSRWLockExclusive(&g_listLock);
    if (g_list != nullptr)
        g_list->erase(std::remove(g_list->begin(), g_list->end(), this), g_list->end());
    ReleaseSRWLockExclusive(&g_listLock);
}

void TileResume::Set(const std::wstring& file, int64_t position, uint32_t ticket) {
    AcquireSRWLockExclusive(&m_lock);
    m_ticket = ticket;
    try {
        m_file = file;
        m_position = position;
    } catch (const std::bad_alloc&) {
        m_file.clear(); // an entry without a file resumes nothing, which is sound
        m_position = 0;
    }
    ReleaseSRWLockExclusive(&m_lock);
}

void TileResume::SetPosition(int64_t position, uint32_t ticket) {
    AcquireSRWLockExclusive(&m_lock);
    if (ticket == m_ticket)
        m_position = position;
    ReleaseSRWLockExclusive(&m_lock);
}

std::wstring TileResume::File() const {
    AcquireSRWLockShared(&m_lock);
    std::wstring file = m_file;
    ReleaseSRWLockShared(&m_lock);
    return file;
}

int64_t TileResume::Position() const {
    AcquireSRWLockShared(&m_lock);
    const int64_t position = m_position;
    ReleaseSRWLockShared(&m_lock);
    return position;
}

void TileResume::Write() const {
    AcquireSRWLockShared(&m_lock);
    WriteLocked();
}

bool TileResume::TryWrite() const {
    if (!TryAcquireSRWLockShared(&m_lock))
        return false;
    WriteLocked();
    return true;
}

// Writes the entry and lets go of the shared lock taken by the caller.
void TileResume::WriteLocked() const {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        ReleaseSRWLockShared(&m_lock);
        return;
    }
    const std::wstring prefix = L"Wnd" + std::to_wstring(m_index) + L"_";
    const std::wstring position = std::to_wstring(m_position); // signed decimal
    // Results ignored: a settings file that cannot be written loses only the resume entry.
    (void)app->WriteProfileString(kSettingsSection, (prefix + L"CurrentFileName").c_str(),
                                  m_file.c_str());
    (void)app->WriteProfileString(kSettingsSection, (prefix + L"Pos").c_str(), position.c_str());
    ReleaseSRWLockShared(&m_lock);
}

void TileResume::WriteAll(bool mayWait) {
    if (mayWait)
        AcquireSRWLockShared(&g_listLock);
    else if (!TryAcquireSRWLockShared(&g_listLock))
        return;
    if (g_list != nullptr) {
        for (const TileResume* entry : *g_list) {
            if (mayWait)
                entry->Write();
            else
                (void)entry->TryWrite(); // one held elsewhere is being written there
        }
    }
    ReleaseSRWLockShared(&g_listLock);
}
