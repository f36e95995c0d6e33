#include "CCmdTarget.h"

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* map, UINT message, UINT code,
                                            UINT id) {
    const bool isCommand = message == WM_COMMAND || message == WM_NOTIFY;
    for (; map != nullptr; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn != nullptr; ++e) {
            if (e->nMessage != message)
                continue;
            if (!isCommand || (e->nCode == code && id >= e->nID && id <= e->nLastID))
                return e;
        }
    }
    return nullptr;
}

bool CCmdTarget::DispatchMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    UINT code = 0;
    UINT id = 0;
    if (message == WM_COMMAND) {
        code = HIWORD(wParam);
        id = LOWORD(wParam);
    } else if (message == WM_NOTIFY) {
        const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
        if (hdr == nullptr)
            return false;
        code = hdr->code;
        id = static_cast<UINT>(hdr->idFrom);
    }
    const AFX_MSGMAP_ENTRY* e = AfxFindMessageEntry(GetMessageMap(), message, code, id);
    if (e == nullptr)
        return false;
    const LRESULT r = e->pfn(this, wParam, lParam);
    if (result != nullptr)
        *result = r;
    return true;
}

bool CCmdTarget::OnCmdMsg(UINT id, UINT code, WPARAM, LPARAM lParam) {
    return DispatchMessageMap(WM_COMMAND, MAKEWPARAM(id, code), lParam, nullptr);
}
