// The line provider through the plain TAPI calls an application makes.
#include "modems.h"
#include <gtest/gtest.h>
#include <tapi32.h>
#include <vector>

namespace {

// Looked up by their plain names, as applications find them.
const HMODULE tapi = LoadLibraryA("TAPI32.DLL");
template <class Fn>
Fn* Find(const char* name)
{
    return reinterpret_cast<Fn*>(reinterpret_cast<void*>(GetProcAddress(tapi, name)));
}
auto* const lineInitialize = Find<decltype(::lineInitialize)>("lineInitialize");
auto* const lineShutdown = Find<decltype(::lineShutdown)>("lineShutdown");
auto* const lineNegotiateAPIVersion = Find<decltype(::lineNegotiateAPIVersion)>("lineNegotiateAPIVersion");
auto* const lineGetDevCaps = Find<decltype(::lineGetDevCaps)>("lineGetDevCaps");
auto* const lineGetIcon = Find<decltype(::lineGetIcon)>("lineGetIcon");

const DWORD v13 = 0x00010003, v14 = 0x00010004;

class Provider : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearModems();
        InstallModem({"0000", "Zoom V.34", "COM2"});
        InstallModem({"0001", "Unattached", nullptr});
        InstallModem({"0003", nullptr, nullptr});
        ASSERT_EQ(0, lineInitialize(&app, nullptr, nullptr, "test", &count));
    }
    void TearDown() override { lineShutdown(app); }

    std::vector<char> Caps(DWORD device, DWORD size, DWORD version, LONG* result)
    {
        std::vector<char> buffer(size);
        reinterpret_cast<LINEDEVCAPS*>(buffer.data())->dwTotalSize = size;
        *result = lineGetDevCaps(app, device, version, 0,
                                 reinterpret_cast<LINEDEVCAPS*>(buffer.data()));
        return buffer;
    }

    HLINEAPP app = 0;
    DWORD count = 0;
};

TEST(ProviderUninitialised, RefusesEveryLineCall)
{
    DWORD version, ext[4];
    EXPECT_EQ(LINEERR_UNINITIALIZED, lineNegotiateAPIVersion(1, 0, v13, v13, &version, ext));
    EXPECT_EQ(LINEERR_UNINITIALIZED, lineShutdown(1));
}

TEST_F(Provider, NegotiatesWithinOneThreeToOneFour)
{
    struct { DWORD low, high; LONG result; DWORD version; } cases[] = {
        {v13, v13, 0, v13},
        {0x00010000, 0x00020000, 0, v14},
        {0x00020000, 0x00030000, LINEERR_INCOMPATIBLEAPIVERSION, 0},
        {0x00010000, 0x00010002, LINEERR_INCOMPATIBLEAPIVERSION, 0},
    };
    for (const auto& c : cases) {
        DWORD version = 0, ext[4];
        EXPECT_EQ(c.result, lineNegotiateAPIVersion(app, 0, c.low, c.high, &version, ext))
            << std::hex << c.low << "-" << c.high;
        EXPECT_EQ(c.version, version) << std::hex << c.low << "-" << c.high;
    }
}

TEST_F(Provider, DevCapsSizesAndVersions)
{
    LONG result;
    Caps(0, 100, v13, &result);
    EXPECT_EQ(LINEERR_STRUCTURETOOSMALL, result);
    Caps(0, 2000, 0x00020000, &result);
    EXPECT_EQ(LINEERR_INCOMPATIBLEAPIVERSION, result);
    Caps(3, 2000, v13, &result);
    EXPECT_EQ(LINEERR_BADDEVICEID, result);

    // Only the fixed part fits: the strings are left out and asked for.
    auto fixed = Caps(0, LINEDEVCAPS_SIZE_13, v13, &result);
    auto* caps = reinterpret_cast<LINEDEVCAPS*>(fixed.data());
    EXPECT_EQ(0, result);
    EXPECT_EQ(LINEDEVCAPS_SIZE_13, caps->dwUsedSize);
    EXPECT_EQ(LINEDEVCAPS_SIZE_13 + sizeof "Zoom V.34" + sizeof "COM2", caps->dwNeededSize);
    EXPECT_EQ(0u, caps->dwLineNameSize);
}

TEST_F(Provider, NamesAndUsabilityFollowTheRegistry)
{
    struct { DWORD device; const char* name; DWORD media; DWORD features; } cases[] = {
        {0, "Zoom V.34", LINEMEDIAMODE_DATAMODEM, LINEFEATURE_MAKECALL},
        {1, "Unattached", 0, 0},
        {2, "", 0, 0},
    };
    for (const auto& c : cases) {
        LONG result;
        auto buffer = Caps(c.device, 1264, v13, &result);
        auto* caps = reinterpret_cast<LINEDEVCAPS*>(buffer.data());
        ASSERT_EQ(0, result) << c.device;
        std::string name = caps->dwLineNameSize ? buffer.data() + caps->dwLineNameOffset : "";
        EXPECT_EQ(c.name, name) << c.device;
        EXPECT_EQ(c.media, caps->dwMediaModes & LINEMEDIAMODE_DATAMODEM) << c.device;
        EXPECT_EQ(c.features, caps->dwLineFeatures) << c.device;
        EXPECT_EQ(LINEBEARERMODE_VOICE, caps->dwBearerModes) << c.device;
    }
}

// One device per installed modem, counted once for each application.
TEST_F(Provider, DevicesStayPutUntilShutdown)
{
    EXPECT_EQ(3u, count);
    DWORD version, ext[4];
    EXPECT_EQ(LINEERR_INVALAPPHANDLE, lineNegotiateAPIVersion(app + 1, 0, v13, v13, &version, ext));
    InstallModem({"0002", "Newcomer", "COM3"});
    HLINEAPP second;
    DWORD secondCount;
    ASSERT_EQ(0, lineInitialize(&second, nullptr, nullptr, "second", &secondCount));
    EXPECT_EQ(4u, secondCount);
    EXPECT_EQ(LINEERR_BADDEVICEID, lineNegotiateAPIVersion(app, 3, v13, v13, &version, ext));
    EXPECT_EQ(0, lineShutdown(second));
    EXPECT_EQ(LINEERR_INVALAPPHANDLE, lineShutdown(second));
}

TEST_F(Provider, IconsForCommDevices)
{
    HICON icon = nullptr;
    EXPECT_EQ(0, lineGetIcon(0, "comm", &icon));
    EXPECT_NE(nullptr, icon);
    EXPECT_EQ(LINEERR_INVALDEVICECLASS, lineGetIcon(0, "wave/in", &icon));
    EXPECT_EQ(LINEERR_BADDEVICEID, lineGetIcon(3, "comm", &icon));
}

}  // namespace
