#pragma once
// Message maps: each class has a static table of entries, one per handled message or
// command, and a pointer to its base class's table. Dispatch walks the tables from the
// most derived class upwards and calls the first entry that matches.
//
// An entry holds a plain function (a capture-less lambda written by the ON_ macro) that
// casts the target back to the class that declared the map and calls the member, so the
// handler signatures are checked by the compiler.
#include <windows.h>

class CCmdTarget;

using AfxMsgThunk = LRESULT (*)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage; // window message, or WM_COMMAND / WM_NOTIFY for commands
    UINT nCode;    // notification code of a command, 0 for menus and buttons' BN_CLICKED
    UINT nID;      // first control or command id
    UINT nLastID;  // last id of a range (equal to nID for a single id)
    AfxMsgThunk pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const {                                            \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                              \
        using ThisClass = theClass;                                                                \
        using TheBaseClass = baseClass;                                                            \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                          \
    { 0, 0, 0, 0, nullptr }                                                                        \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]};  \
    return &messageMap;                                                                            \
    }

#define AFX_THUNK(body)                                                                            \
    [](CCmdTarget* _t, WPARAM wParam, LPARAM lParam) -> LRESULT {                                  \
        auto* self = static_cast<ThisClass*>(_t);                                                  \
        (void)self;                                                                                \
        (void)wParam;                                                                              \
        (void)lParam;                                                                              \
        body                                                                                       \
    }

// Commands and control notifications.
#define ON_COMMAND(id, memberFxn)                                                                  \
    { WM_COMMAND, 0, (id), (id), AFX_THUNK(self->memberFxn(); return 0;) }                         \
    ,
#define ON_CONTROL(code, id, memberFxn)                                                            \
    { WM_COMMAND, (code), (id), (id), AFX_THUNK(self->memberFxn(); return 0;) }                    \
    ,
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)

// Any message, handler LRESULT memberFxn(WPARAM, LPARAM).
#define ON_MESSAGE(message, memberFxn)                                                             \
    { (message), 0, 0, 0, AFX_THUNK(return self->memberFxn(wParam, lParam);) }                     \
    ,

// Standard window messages, with the handler signatures the framework's users expect.
#define ON_WM_CREATE()                                                                             \
    {                                                                                              \
        WM_CREATE, 0, 0, 0,                                                                        \
            AFX_THUNK(return self->OnCreate(reinterpret_cast<LPCREATESTRUCTW>(lParam));)           \
    }                                                                                              \
    ,
#define ON_WM_DESTROY()                                                                            \
    { WM_DESTROY, 0, 0, 0, AFX_THUNK(self->OnDestroy(); return 0;) }                               \
    ,
#define ON_WM_PAINT()                                                                              \
    { WM_PAINT, 0, 0, 0, AFX_THUNK(self->OnPaint(); return 0;) }                                   \
    ,
#define ON_WM_ERASEBKGND()                                                                         \
    {                                                                                              \
        WM_ERASEBKGND, 0, 0, 0,                                                                    \
            AFX_THUNK(return self->OnEraseBkgnd(reinterpret_cast<HDC>(wParam)) ? 1 : 0;)           \
    }                                                                                              \
    ,
#define ON_WM_SIZE()                                                                               \
    {                                                                                              \
        WM_SIZE, 0, 0, 0,                                                                          \
            AFX_THUNK(self->OnSize(static_cast<UINT>(wParam), static_cast<int>(LOWORD(lParam)),    \
                                   static_cast<int>(HIWORD(lParam)));                              \
                      return 0;)                                                                   \
    }                                                                                              \
    ,
#define ON_WM_TIMER()                                                                              \
    { WM_TIMER, 0, 0, 0, AFX_THUNK(self->OnTimer(static_cast<UINT_PTR>(wParam)); return 0;) }      \
    ,
#define ON_WM_SYSCOMMAND()                                                                         \
    {                                                                                              \
        WM_SYSCOMMAND, 0, 0, 0,                                                                    \
            AFX_THUNK(self->OnSysCommand(static_cast<UINT>(wParam), lParam); return 0;)            \
    }                                                                                              \
    ,
#define ON_WM_QUERYDRAGICON()                                                                      \
    {                                                                                              \
        WM_QUERYDRAGICON, 0, 0, 0,                                                                 \
            AFX_THUNK(return reinterpret_cast<LRESULT>(self->OnQueryDragIcon());)                  \
    }                                                                                              \
    ,
#define ON_WM_DROPFILES()                                                                          \
    {                                                                                              \
        WM_DROPFILES, 0, 0, 0,                                                                     \
            AFX_THUNK(self->OnDropFiles(reinterpret_cast<HDROP>(wParam)); return 0;)               \
    }                                                                                              \
    ,
#define ON_WM_SETCURSOR()                                                                          \
    {                                                                                              \
        WM_SETCURSOR, 0, 0, 0,                                                                     \
            AFX_THUNK(return self->OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam),     \
                                               HIWORD(lParam))                                     \
                                 ? TRUE                                                            \
                                 : FALSE;)                                                         \
    }                                                                                              \
    ,

// Mouse, keyboard and activation messages; points are in client coordinates.
inline POINT AfxPointFromLParam(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}
// clang-format off
#define ON_WM_MOUSEMOVE() {WM_MOUSEMOVE, 0, 0, 0, AFX_THUNK(self->OnMouseMove(static_cast<UINT>(wParam), AfxPointFromLParam(lParam)); return 0;)},
#define ON_WM_LBUTTONDOWN() {WM_LBUTTONDOWN, 0, 0, 0, AFX_THUNK(self->OnLButtonDown(static_cast<UINT>(wParam), AfxPointFromLParam(lParam)); return 0;)},
#define ON_WM_MBUTTONDOWN() {WM_MBUTTONDOWN, 0, 0, 0, AFX_THUNK(self->OnMButtonDown(static_cast<UINT>(wParam), AfxPointFromLParam(lParam)); return 0;)},
#define ON_WM_RBUTTONDOWN() {WM_RBUTTONDOWN, 0, 0, 0, AFX_THUNK(self->OnRButtonDown(static_cast<UINT>(wParam), AfxPointFromLParam(lParam)); return 0;)},
#define ON_WM_KEYDOWN() {WM_KEYDOWN, 0, 0, 0, AFX_THUNK(self->OnKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)); return 0;)},
#define ON_WM_SYSKEYDOWN() {WM_SYSKEYDOWN, 0, 0, 0, AFX_THUNK(self->OnSysKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)); return 0;)},
#define ON_WM_ACTIVATE() {WM_ACTIVATE, 0, 0, 0, AFX_THUNK(self->OnActivate(LOWORD(wParam), CWnd::FromHandle(reinterpret_cast<HWND>(lParam)), HIWORD(wParam)); return 0;)},
#define ON_WM_ACTIVATEAPP() {WM_ACTIVATEAPP, 0, 0, 0, AFX_THUNK(self->OnActivateApp(static_cast<BOOL>(wParam), static_cast<DWORD>(lParam)); return 0;)},
#define ON_WM_NCACTIVATE() {WM_NCACTIVATE, 0, 0, 0, AFX_THUNK(return self->OnNcActivate(static_cast<BOOL>(wParam)) ? TRUE : FALSE;)},
// clang-format on
