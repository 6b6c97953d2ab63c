// TapiLineApp over the suite's line provider, and where telephony fails.
#include "modems.h"
#include "../../tools/wine/wizard_watch.h"
#include <gtest/gtest.h>
#include <tapi_line_app.h>
#include <string>

namespace {

// Waits for a message box, remembers its text and answers it.
class BoxAnswer {
public:
    BoxAnswer(const char* title, int button)
        : thread_([this, title, button] {
              HWND box = nullptr;
              for (int i = 0; i < 1000 && !box; i++, Sleep(20))
                  box = FindWindowA("#32770", title);
              if (!box)
                  return;
              char buffer[512] = "";
              GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
              text = buffer;
              PostMessageA(box, WM_COMMAND, button, 0);
          })
    {
    }
    std::string Text()
    {
        thread_.join();
        return text;
    }

private:
    std::string text;
    WatchThread thread_;
};

TEST(TapiLineApp, MissingLibraryIsOneMessageAndNoTelephony)
{
    BoxAnswer box("Error", IDOK);
    TapiLineApp tapi("NOTAPI.DLL");
    EXPECT_EQ("TAPI32.DLL", box.Text());
    EXPECT_EQ(-1, tapi.Initialize(nullptr, nullptr, "ZIVeredo", nullptr));
}

TEST(TapiLineApp, ReinitialisingAsksEveryFiveSecondsUntilCancelled)
{
    TapiLineApp tapi("REINIT.DLL");
    BoxAnswer box("Error - TAPI Initialization Failed", IDCANCEL);
    DWORD start = GetTickCount();
    EXPECT_EQ(static_cast<LONG>(LINEERR_REINIT), tapi.Initialize(nullptr, nullptr, "ZIVeredo", nullptr));
    EXPECT_GE(GetTickCount() - start, 5000u);
    EXPECT_EQ("Telephone System Is Reinitializing - Cancel to abort", box.Text());
    EXPECT_FALSE(tapi.IsInitialized());
}

TEST(TapiLineApp, NoLinesMeansShutDownAgainAndOnlyNamedDataModemLinesAreOffered)
{
    const std::string longName(1500, 'L');
    ClearModems();
    {
        TapiLineApp none;
        EXPECT_EQ(1, none.Initialize(nullptr, nullptr, "ZIVeredo", nullptr));
        EXPECT_FALSE(none.IsInitialized());
    }
    InstallModem({"0000", "Zoom V.34", "COM2"});
    InstallModem({"0001", "No Port", nullptr});
    InstallModem({"0002", "", "COM3"});
    InstallModem({"0003", longName.c_str(), "COM4"});
    TapiLineApp tapi;
    ASSERT_EQ(0, tapi.Initialize(nullptr, nullptr, "ZIVeredo", nullptr));
    const std::string offered[] = {"Zoom V.34", "", "", longName.substr(0, 259)};
    for (DWORD device = 0; device < 4; device++) {
        char name[TapiLineApp::kLineNameSize + 1] = "";
        name[TapiLineApp::kLineNameSize] = '#';  // must survive
        EXPECT_EQ(0, tapi.GetLineName(device, name));
        EXPECT_EQ(offered[device], name) << device;
        EXPECT_EQ('#', name[TapiLineApp::kLineNameSize]) << device;
    }
    HICON icon = nullptr;
    EXPECT_EQ(0, tapi.GetLineIcon(&icon, 0));
    EXPECT_NE(nullptr, icon);
    tapi.Shutdown();
    EXPECT_FALSE(tapi.IsInitialized());
}

}  // namespace
