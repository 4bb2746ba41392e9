// The form's logo as the Windows dialog manager shows it (under Wine on a
// virtual screen in make windows-test): the real window, copied from the
// screen as make windows-screenshots takes it, holds the decoded Logo.png
// keyed onto the dialog's face, every pixel. The demo provider's files
// stand beside this test program.
#include "LogoImage.h"
#include "NewConnectionDialog.h"
#include "Platform.h"
#include "Resource.h"
#include "TempSystemRoot.h"
#include "Win32Backend.h"
#include "Win32Camera.h"

#include <gtest/gtest.h>

#include <objbase.h>

TEST(LogoOnScreen, TheFormShowsTheWholeLogoOnItsFace) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    ui::Win32Backend backend;
    ui::setCurrentBackend(&backend);
    testsupport::TempDir shots;
    RECT frame{}, at{};
    {
        NewConnectionDialog form;
        form.create();
        Win32Camera camera(backend, shots.path());
        camera.shoot(form, "new-connection");
        ASSERT_FALSE(camera.failed());
        GetWindowRect(backend.windowOf(&form), &frame);
        GetWindowRect(GetDlgItem(backend.windowOf(&form), resources::IDC_LOGO), &at);
    }
    ui::setCurrentBackend(nullptr);
    char path[MAX_PATH];
    LogoControl logo;
    ASSERT_TRUE(dataFilePath("Logo.png", path) && logo.loadFromFile(path));
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const auto expected = logo.composedPixels(rgbColour(GetRValue(face), GetGValue(face), GetBValue(face)));
    const std::string bytes = testsupport::readFile(shots.path() + "\\new-connection.png");
    LogoImage shot;
    ASSERT_TRUE(!bytes.empty() && shot.decode(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    const auto left = static_cast<std::uint32_t>(at.left - frame.left);
    const auto top = static_cast<std::uint32_t>(at.top - frame.top);
    ASSERT_TRUE(left + logo.width() <= shot.width() && top + logo.height() <= shot.height());
    int wrong = 0;
    for (std::uint32_t y = 0; y < logo.height(); ++y) {
        for (std::uint32_t x = 0; x < logo.width(); ++x) {
            const std::uint8_t* seen = &shot.row(top + y)[(left + x) * LogoImage::kBytesPerPixel];
            wrong += rgbColour(seen[0], seen[1], seen[2]) != expected[y * logo.width() + x];
        }
    }
    EXPECT_EQ(wrong, 0) << "pixels of " << expected.size();
    CoUninitialize();
}
