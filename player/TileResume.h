#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// A tile's resume entry as it stands: the file it plays and the latest position known of it.
// The tile's worker keeps the position up to date while the movie plays, so that every end
// of the saver (its close, a close that gave up on a tile, the hang guard on a thread of its
// own) writes it without asking a graph that may not answer. Every live entry is listed
// process-wide for the guard.
class TileResume {
public:
    explicit TileResume(int windowIndex);
    ~TileResume();
    TileResume(const TileResume&) = delete;
    TileResume& operator=(const TileResume&) = delete;

    // `ticket` names the open the entry now stands for; positions read from another graph
    // (one replaced meanwhile) are not taken.
    void Set(const std::wstring& file, int64_t position, uint32_t ticket);
    void SetPosition(int64_t position, uint32_t ticket);
    std::wstring File() const;
    int64_t Position() const;
    // Writes "Wnd%d_CurrentFileName" and "Wnd%d_Pos" into the settings file.
    void Write() const;
    bool TryWrite() const;
    // Writes every listed entry; from any thread. With `mayWait` false an entry whose lock is
    // held (by a thread that may never let go of it) is passed over rather than waited for.
    static void WriteAll(bool mayWait = true);

private:
    void WriteLocked() const;

    const int m_index;
    mutable SRWLOCK m_lock = SRWLOCK_INIT;
    std::wstring m_file;
    int64_t m_position = 0;
    uint32_t m_ticket = 0;
};
