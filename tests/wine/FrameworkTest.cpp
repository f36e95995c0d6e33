// The window framework on real windows: message-map dispatch up the class chain, command
// routing, handle maps and the end of a window's life.
#include <gtest/gtest.h>

#include <vector>

#include "CWinApp.h"

namespace {

std::vector<int>* g_calls = nullptr;

class CBaseWnd : public CWnd {
public:
    bool destroyedAfterLastMessage = false;
    bool* deleted = nullptr;
    LRESULT OnPing(WPARAM, LPARAM) {
        g_calls->push_back(1);
        return 11;
    }
    LRESULT OnBaseOnly(WPARAM wParam, LPARAM) {
        g_calls->push_back(static_cast<int>(wParam));
        return 0;
    }
    void OnOk() { g_calls->push_back(100); }

protected:
    void PostNcDestroy() override { destroyedAfterLastMessage = m_hWnd == nullptr; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
ON_MESSAGE(WM_APP + 1, OnPing)
ON_MESSAGE(WM_APP + 2, OnBaseOnly)
ON_BN_CLICKED(IDOK, OnOk)
END_MESSAGE_MAP()

class CDerivedWnd : public CBaseWnd {
public:
    int created = 0;
    LRESULT OnPingAgain(WPARAM, LPARAM) {
        g_calls->push_back(2);
        return 22;
    }
    void OnRange() { g_calls->push_back(200); }
    int OnCreate(LPCREATESTRUCTW cs) {
        created = cs != nullptr ? 1 : -1;
        return CWnd::OnCreate(cs);
    }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
ON_WM_CREATE()
ON_MESSAGE(WM_APP + 1, OnPingAgain)
ON_CONTROL(EN_CHANGE, 7, OnRange)
END_MESSAGE_MAP()

class FrameworkTest : public ::testing::Test {
protected:
    void SetUp() override { g_calls = &calls; }
    void TearDown() override { g_calls = nullptr; }
    std::vector<int> calls;
};

TEST_F(FrameworkTest, MostDerivedEntryWinsAndBaseEntriesAreReached) {
    CDerivedWnd wnd;
    const wchar_t* cls = AfxRegisterWndClass(0);
    ASSERT_NE(cls, nullptr);
    ASSERT_TRUE(wnd.CreateEx(0, cls, L"t", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, 0));
    // WM_CREATE went through the map during creation already.
    EXPECT_EQ(wnd.created, 1);
    EXPECT_EQ(CWnd::FromHandlePermanent(wnd.m_hWnd), &wnd);

    EXPECT_EQ(wnd.SendMessage(WM_APP + 1), 22);
    EXPECT_EQ(wnd.SendMessage(WM_APP + 2, 5), 0);
    // Commands match on id and notification code.
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(7, EN_CHANGE));
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(7, EN_KILLFOCUS)); // no entry
    EXPECT_EQ(calls, (std::vector<int>{2, 5, 100, 200}));
    // What no map handles goes to the window's default procedure.
    EXPECT_EQ(wnd.SendMessage(WM_GETTEXTLENGTH), 1);

    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_TRUE(wnd.destroyedAfterLastMessage);
}

TEST_F(FrameworkTest, ForeignWindowsGetTemporaryWrappersAndCanBeSubclassed) {
    HWND edit = CreateWindowExW(0, L"EDIT", L"abc", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    CWnd* temp = CWnd::FromHandle(edit);
    ASSERT_NE(temp, nullptr);
    EXPECT_EQ(CWnd::FromHandle(edit), temp);
    EXPECT_EQ(CWnd::FromHandlePermanent(edit), nullptr);
    EXPECT_EQ(temp->GetWindowText(), L"abc");
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);

    CBaseWnd wnd;
    ASSERT_TRUE(wnd.Attach(edit));
    EXPECT_EQ(CWnd::FromHandle(edit), &wnd);
    EXPECT_EQ(wnd.SendMessage(WM_APP + 1), 11);
    // The control's own procedure still answers what the map does not.
    EXPECT_EQ(wnd.SendMessage(WM_GETTEXTLENGTH), 3);
    EXPECT_EQ(wnd.Detach(), edit);
    EXPECT_EQ(CWnd::FromHandlePermanent(edit), nullptr);
    DestroyWindow(edit);
    CWnd::DeleteTempMap();
}

TEST_F(FrameworkTest, DestroyingTheMainWindowEndsTheMessageLoop) {
    CWinApp* app = AfxGetApp();
    ASSERT_NE(app, nullptr);
    CBaseWnd wnd;
    ASSERT_TRUE(
        wnd.CreateEx(0, AfxRegisterWndClass(0), L"main", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, 0));
    app->m_pMainWnd = &wnd;
    wnd.PostMessage(WM_CLOSE);
    EXPECT_EQ(app->Run(), 0);
    EXPECT_EQ(app->m_pMainWnd, nullptr);
    EXPECT_EQ(wnd.m_hWnd, nullptr);
}

CWinApp g_testApp;

} // namespace
