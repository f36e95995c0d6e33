#pragma once
#include "MessageMap.h"

// Base of every object with a message map (windows and the application object).
class CCmdTarget {
public:
    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;
    virtual ~CCmdTarget() = default;

    // Looks up the handler for a message (and, for WM_COMMAND, its code and id) in this
    // object's map chain; calls it and stores its result when found.
    bool DispatchMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // Routes a command (WM_COMMAND by id and code) to this object's handlers.
    virtual bool OnCmdMsg(UINT id, UINT code, WPARAM wParam, LPARAM lParam);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

// Finds the first entry of the map chain matching a message; for WM_COMMAND and
// WM_NOTIFY also the code and id. Exposed for the dispatch tests.
const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* map, UINT message, UINT code,
                                            UINT id);
