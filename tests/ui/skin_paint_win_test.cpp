// The skinned page painted for real: GDI+ into the memory surface of a
// window of the main dialog's client size, the control messages routed back
// through a real window procedure, and the pixels read back with GetPixel.
// Wine's GDI+ does not anti-alias and its text metrics differ from Windows,
// so pixels are checked away from edges and texts.
#include <windows.h>

#include <gdiplus.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/text_win.h"
#include "ui/skin_surface_win.h"

namespace {

constexpr int kW = 496;
constexpr int kH = 302;

struct Message {
    UINT Id;
    WPARAM Control;
};

// The page and the messages of the window under test; the window procedure
// reaches them through these.
SkinPage* g_page = nullptr;
std::vector<Message>* g_messages = nullptr;

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= UM_PATHBOX_REDRAW && message <= UM_OPTION_CLICKED) {
        if (g_messages)
            g_messages->push_back({message, wParam});
        if (g_page && message == UM_PATHBOX_REDRAW)
            RepaintPathBox(*g_page, reinterpret_cast<CPathBox*>(wParam));
        if (g_page && message == UM_BUTTON_REDRAW)
            RepaintButton(*g_page, reinterpret_cast<CSkinButton*>(wParam));
        if (g_page && message == UM_OPTION_REDRAW)
            RepaintOption(*g_page, reinterpret_cast<CSkinOption*>(wParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class SkinPaintTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&token_, &input, nullptr), Gdiplus::Ok);
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &TestWindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"SkinPaintTest";
        RegisterClassW(&windowClass);
    }
    static void TearDownTestSuite() { Gdiplus::GdiplusShutdown(token_); }

    // The dialog's start-up drawing, in its order.
    void SetUp() override {
        window_ = CreateWindowExW(0, L"SkinPaintTest", L"skin", WS_POPUP, 0, 0, kW, kH, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
        g_page = &page_;
        g_messages = &messages_;
        logoLoaded_ = CreateSurface(page_, window_, GetModuleHandleW(nullptr), savedRect_);
        ASSERT_TRUE(page_.Surface.MemoryDc);
        std::unique_ptr<Gdiplus::Graphics> graphics = OpenDrawingContext(page_);
        ASSERT_TRUE(graphics);
        ComputeLayout(page_);
        DrawBackground(*graphics, page_);
        CreateControls(graphics.get(), page_);
    }

    void TearDown() override {
        ReleaseSkinPage(page_);
        g_page = nullptr;
        g_messages = nullptr;
        DestroyWindow(window_);
    }

    COLORREF Pixel(int x, int y) const { return GetPixel(page_.Surface.MemoryDc.Get(), x, y); }

    // Within 2 of the colour in each channel: alpha 0xfe blends a trace of
    // what lay beneath.
    static testing::AssertionResult Near(COLORREF actual, Argb expected) {
        const int channels[3][2] = {{GetRValue(actual), static_cast<int>((expected >> 16) & 0xff)},
                                    {GetGValue(actual), static_cast<int>((expected >> 8) & 0xff)},
                                    {GetBValue(actual), static_cast<int>(expected & 0xff)}};
        for (const auto& channel : channels) {
            if (std::abs(channel[0] - channel[1]) > 2)
                return testing::AssertionFailure()
                       << "pixel " << Hex(actual) << " (BGR) is not near " << Hex(expected & 0xffffff) << " (RGB)";
        }
        return testing::AssertionSuccess();
    }

    static Argb Rgb(COLORREF pixel) { return (GetRValue(pixel) << 16) | (GetGValue(pixel) << 8) | GetBValue(pixel); }

    static std::string Hex(uint32_t value) {
        char text[16];
        snprintf(text, sizeof(text), "0x%06x", static_cast<unsigned>(value));
        return text;
    }

    // How many pixels of `rect` are not near `color`.
    int CountOther(const SkinRect& rect, Argb color) const {
        int count = 0;
        for (int y = rect.Y; y < rect.Y + rect.Height; ++y)
            for (int x = rect.X; x < rect.X + rect.Width; ++x)
                count += !Near(Pixel(x, y), color);
        return count;
    }

    static ULONG_PTR token_;
    HWND window_ = nullptr;
    SkinPage page_;
    std::vector<Message> messages_;
    RECT savedRect_{};
    bool logoLoaded_ = false;
};

ULONG_PTR SkinPaintTest::token_ = 0;

constexpr Argb kBackground = 0x2d2d2d;
constexpr Argb kBand = 0x141414;
constexpr Argb kOutline = 0xa0a0a0;
constexpr Argb kHoverOutline = 0x27a0fd;

// The surface has the client size and the layout follows from it.
TEST_F(SkinPaintTest, SurfaceHasTheClientSize) {
    EXPECT_EQ(page_.Surface.Width, kW);
    EXPECT_EQ(page_.Surface.Height, kH);
    EXPECT_EQ(page_.Surface.Dpi, 96);  // the test prefix's display
    EXPECT_EQ(page_.Layout.Dpi, 96);
    EXPECT_EQ(savedRect_.right - savedRect_.left, kW);
    EXPECT_EQ(page_.Layout.StatusArea, (SkinRect{0, 242, kW, 60}));
    EXPECT_EQ(page_.BackgroundColor, 0xfe2d2d2du);
    EXPECT_EQ(page_.StatusAreaColor, 0xfe141414u);
}

// Background, status band and the black 1-pixel outline of the window.
TEST_F(SkinPaintTest, BackgroundBandAndOutline) {
    EXPECT_TRUE(Near(Pixel(300, 40), kBackground));
    EXPECT_TRUE(Near(Pixel(1, 200), kBackground));
    EXPECT_TRUE(Near(Pixel(20, 260), kBand));
    EXPECT_TRUE(Near(Pixel(kW - 20, 296), kBand));
    for (POINT p : {POINT{0, 100}, POINT{kW - 1, 100}, POINT{100, 0}, POINT{100, kH - 1}, POINT{0, 270}})
        EXPECT_TRUE(Near(Pixel(p.x, p.y), 0x000000)) << p.x << "," << p.y;
}

// The controls announce themselves in creation order, each with itself.
TEST_F(SkinPaintTest, ControlsAskForTheirFirstPaintInOrder) {
    const std::vector<std::pair<UINT, void*>> expected = {
        {UM_PATHBOX_REDRAW, page_.PathBox.get()},      {UM_BUTTON_REDRAW, page_.BrowseButton.get()},
        {UM_BUTTON_REDRAW, page_.CloseButton.get()},   {UM_BUTTON_REDRAW, page_.InstallButton.get()},
        {UM_OPTION_REDRAW, page_.ChineseOption.get()}, {UM_OPTION_REDRAW, page_.EnglishOption.get()},
    };
    ASSERT_EQ(messages_.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(messages_[i].Id, expected[i].first) << i;
        EXPECT_EQ(reinterpret_cast<void*>(messages_[i].Control), expected[i].second) << i;
    }
    EXPECT_EQ(UM_PATHBOX_REDRAW, 1224u);
    EXPECT_EQ(UM_OPTION_CLICKED, 1229u);
}

// The option's 16 x 16 box with its outline, and the 8 x 8 mark once selected.
TEST_F(SkinPaintTest, OptionBoxAndMark) {
    const CSkinOption& option = *page_.ChineseOption;
    EXPECT_EQ(option.Box, (SkinRect{13, 85, 16, 16}));
    EXPECT_EQ(option.Mark, (SkinRect{17, 89, 8, 8}));
    EXPECT_EQ(option.LabelArea, (SkinRect{31, 81, 62, 24}));
    EXPECT_TRUE(Near(Pixel(13, 93), kOutline));
    EXPECT_TRUE(Near(Pixel(28, 93), kOutline));
    EXPECT_TRUE(Near(Pixel(20, 100), kOutline));
    EXPECT_EQ(CountOther({14, 86, 14, 14}, kBackground), 0);
    page_.ChineseOption->SetSelected(true);
    RepaintOption(page_, page_.ChineseOption.get());
    EXPECT_EQ(CountOther(option.Mark, 0xb4b4b4), 0);
    EXPECT_TRUE(Near(Pixel(15, 87), kBackground));
}

// The Install button is rounded: its straight edges carry the outline, its
// corners the band colour.
TEST_F(SkinPaintTest, InstallButtonHasRoundedCorners) {
    const SkinRect r = page_.Layout.InstallButtonRect;
    ASSERT_EQ(r, (SkinRect{178, 247, 140, 50}));
    EXPECT_TRUE(Near(Pixel(r.X, r.Y + 25), kOutline));
    EXPECT_TRUE(Near(Pixel(r.X + 70, r.Y), kOutline));
    EXPECT_TRUE(Near(Pixel(r.X + r.Width - 1, r.Y + 25), kOutline));
    EXPECT_TRUE(Near(Pixel(r.X + 70, r.Y + r.Height - 1), kOutline));
    for (POINT p : {POINT{r.X, r.Y}, POINT{r.X + 1, r.Y + 1}, POINT{r.X + r.Width - 1, r.Y},
                    POINT{r.X, r.Y + r.Height - 1}, POINT{r.X + r.Width - 1, r.Y + r.Height - 1}})
        EXPECT_TRUE(Near(Pixel(p.x, p.y), kBand)) << p.x << "," << p.y;
    EXPECT_TRUE(Near(Pixel(r.X + 5, r.Y + 25), kBand));
}

// Hovering repaints through the owner: blue outline and the hover fill; the
// close button shows an outline only then.
TEST_F(SkinPaintTest, HoverShowsTheBlueOutline) {
    const SkinRect close = page_.Layout.CloseButtonRect;
    EXPECT_TRUE(Near(Pixel(close.X, close.Y + 12), kBackground));
    messages_.clear();
    EXPECT_TRUE(page_.CloseButton->HoverTest(close.X + 5, close.Y + 5));
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].Id, UM_BUTTON_REDRAW);
    EXPECT_TRUE(Near(Pixel(close.X, close.Y + 12), kHoverOutline));
    EXPECT_TRUE(Near(Pixel(close.X + close.Width - 1, close.Y + 12), kHoverOutline));
    EXPECT_TRUE(Near(Pixel(close.X + 3, close.Y + 3), 0x424242));
    EXPECT_FALSE(page_.CloseButton->HoverTest(1, 1));
    EXPECT_TRUE(Near(Pixel(close.X, close.Y + 12), kBackground));

    const SkinRect install = page_.Layout.InstallButtonRect;
    EXPECT_TRUE(page_.InstallButton->HoverTest(install.X + 5, install.Y + 25));
    EXPECT_TRUE(Near(Pixel(install.X, install.Y + 25), kHoverOutline));
    EXPECT_TRUE(Near(Pixel(install.X + 5, install.Y + 25), 0x424242));
    EXPECT_TRUE(Near(Pixel(install.X, install.Y), kBand));
}

// Pressing gives the pressed colours; releasing inside sends the click.
TEST_F(SkinPaintTest, PressAndReleaseSendTheClick) {
    const SkinRect browse = page_.Layout.BrowseButtonRect;
    EXPECT_TRUE(Near(Pixel(browse.X, browse.Y + 12), kOutline));
    EXPECT_TRUE(page_.BrowseButton->PressTest(browse.X + 3, browse.Y + 3));
    EXPECT_TRUE(Near(Pixel(browse.X, browse.Y + 12), 0x3ca9fd));
    EXPECT_TRUE(Near(Pixel(browse.X + 2, browse.Y + 2), 0x343434));
    messages_.clear();
    EXPECT_TRUE(page_.BrowseButton->ReleaseTest(browse.X + 3, browse.Y + 3));
    ASSERT_EQ(messages_.size(), 2u);
    EXPECT_EQ(messages_[1].Id, UM_BUTTON_CLICKED);
    EXPECT_EQ(reinterpret_cast<CSkinButton*>(messages_[1].Control), page_.BrowseButton.get());
    EXPECT_TRUE(Near(Pixel(browse.X, browse.Y + 12), kOutline));
}

// A disabled button is drawn in the disabled outline and ignores the pointer.
TEST_F(SkinPaintTest, DisabledButtonLooksDisabled) {
    const SkinRect browse = page_.Layout.BrowseButtonRect;
    page_.BrowseButton->SetDisabled();
    EXPECT_TRUE(Near(Pixel(browse.X, browse.Y + 12), 0x414141));
    messages_.clear();
    EXPECT_TRUE(page_.BrowseButton->HoverTest(browse.X + 3, browse.Y + 3));
    EXPECT_TRUE(messages_.empty());
}

// The path box: background, outline one pixel outside at right and bottom.
TEST_F(SkinPaintTest, PathBoxBackgroundAndOutline) {
    const SkinRect box = page_.Layout.PathBoxRect;
    ASSERT_EQ(box, (SkinRect{13, 142, 436, 25}));
    EXPECT_TRUE(Near(Pixel(box.X, box.Y + 12), 0x505050));
    EXPECT_TRUE(Near(Pixel(box.X + box.Width, box.Y + 12), 0x505050));
    EXPECT_TRUE(Near(Pixel(box.X + 100, box.Y + box.Height), 0x505050));
    EXPECT_EQ(CountOther({box.X + 1, box.Y + 1, box.Width - 1, box.Height - 1}, 0x303030), 0);
}

// A path too wide for the box is stored shortened; one that fits stays.
TEST_F(SkinPaintTest, PathBoxShortensAWidePath) {
    std::wstring path = L"C:\\Program Files (x86)";
    for (int i = 0; i < 12; ++i)
        path += L"\\Folder" + std::to_wstring(i);
    path += L"\\Zorvanelle\\ZorvanelleV7";
    page_.PathBox->SetText(path.c_str());
    RepaintPathBox(page_, page_.PathBox.get());
    const std::wstring shown = page_.PathBox->Text;
    EXPECT_NE(shown, path);
    EXPECT_EQ(shown.rfind(L"C:\\Program Files (x86)\\", 0), 0u) << std::string(shown.begin(), shown.end());
    EXPECT_NE(shown.find(L"\\...\\ZorvanelleV7"), std::wstring::npos);
    std::unique_ptr<Gdiplus::Graphics> graphics = OpenDrawingContext(page_);
    EXPECT_LE(MeasureText(*graphics, shown, 14).Width, page_.Layout.PathBoxRect.Width - 10);
    EXPECT_GT(CountOther({20, 145, 400, 20}, 0x303030), 0);  // text was drawn

    page_.PathBox->SetText(L"C:\\Apps\\Zorvanelle\\ZorvanelleV7");
    RepaintPathBox(page_, page_.PathBox.get());
    EXPECT_STREQ(page_.PathBox->Text, L"C:\\Apps\\Zorvanelle\\ZorvanelleV7");
}

// The link follows the notice one pixel after its measured width and moves
// with the language; the Install caption comes from the table.
TEST_F(SkinPaintTest, PageTextsPlaceTheLicenceLink) {
    for (uint32_t langId : {kLangEnglish, kLangChinese}) {
        SCOPED_TRACE(langId);
        LanguageTable table;
        FillLanguageTable(langId, table);
        std::unique_ptr<Gdiplus::Graphics> graphics = OpenDrawingContext(page_);
        DrawPageTexts(*graphics, page_, table);
        const std::wstring notice = ToWide(*SlotText(table, LanguageSlot::LicenseNotice));
        const std::wstring title = ToWide(*SlotText(table, LanguageSlot::LicenseTitle));
        const int32_t noticeWidth = MeasureText(*graphics, notice, 12).Width;
        const int32_t titleWidth = MeasureText(*graphics, title, 12).Width;
        graphics.reset();
        ASSERT_GT(noticeWidth, 0);
        const SkinRect& n = page_.Layout.NoticeRect;
        EXPECT_EQ(page_.Layout.LicenseLinkRect, (SkinRect{n.X + noticeWidth + 1, n.Y, titleWidth + 1, n.Height}));
        EXPECT_EQ(std::wstring(page_.InstallButton->Caption),
                  ToWide(*SlotText(table, LanguageSlot::InstallButtonLabel)));
        // The underline is drawn in the link colour.
        bool blue = false;
        const SkinRect& link = page_.Layout.LicenseLinkRect;
        for (int y = link.Y; y < link.Y + link.Height && !blue; ++y)
            for (int x = link.X; x < link.X + link.Width && !blue; ++x)
                blue = Near(Pixel(x, y), 0x0097fb);
        EXPECT_TRUE(blue);
        EXPECT_GT(CountOther(page_.Layout.LanguagePromptRect, kBackground), 0);
    }
}

// A status text covers the Install button with the band and is drawn in it;
// no text leaves the bare band.
TEST_F(SkinPaintTest, StatusTextCoversTheBand) {
    const SkinRect band = page_.Layout.StatusArea;
    ShowStatus(page_, L"Copying file \r\nZorvanellePanelV7.exe");
    EXPECT_TRUE(Near(Pixel(page_.Layout.InstallButtonRect.X, page_.Layout.InstallButtonRect.Y + 25), kBand));
    EXPECT_TRUE(Near(Pixel(5, band.Y + 30), kBand));
    EXPECT_GT(CountOther({1, band.Y, band.Width - 2, band.Height - 1}, kBand), 20);
    ShowStatus(page_, nullptr);
    EXPECT_EQ(CountOther({1, band.Y, band.Width - 2, band.Height - 1}, kBand), 0);
}

// "\r\n" breaks the status line exactly as "\n" does: no glyph for the
// carriage return.
TEST_F(SkinPaintTest, StatusLineBreakDrawsNoGlyph) {
    const SkinRect band = page_.Layout.StatusArea;
    ShowStatus(page_, L"Copying file \nZorvanellePanelV7.exe");
    std::vector<COLORREF> plain;
    for (int y = band.Y; y < band.Y + band.Height; ++y)
        for (int x = 0; x < band.Width; ++x)
            plain.push_back(Pixel(x, y));
    ShowStatus(page_, L"Copying file \r\nZorvanellePanelV7.exe");
    int differing = 0;
    size_t i = 0;
    for (int y = band.Y; y < band.Y + band.Height; ++y)
        for (int x = 0; x < band.Width; ++x)
            differing += !Near(Pixel(x, y), Rgb(plain[i++]));
    EXPECT_EQ(differing, 0);  // within the trace that alpha 0xfe leaves of the text beneath
}

// The language decisions mark the options and redraw the page texts.
TEST_F(SkinPaintTest, LanguageRedrawMarksTheTakenChoice) {
    LanguageChoiceState state;
    LanguageTable table;
    InstallOptions options;
    RedrawLanguage(page_, state, ApplyLanguage(kLangChinese, state, table, options), table);
    EXPECT_TRUE(page_.ChineseOption->Selected);
    EXPECT_EQ(CountOther(page_.ChineseOption->Mark, 0xb4b4b4), 0);
    messages_.clear();
    const LanguageRedraw redraw =
        OnLanguageChoice(ChoiceOfOption(page_, page_.EnglishOption.get()), state, table, options);
    RedrawLanguage(page_, state, redraw, table);
    EXPECT_FALSE(page_.ChineseOption->Selected);
    EXPECT_TRUE(page_.EnglishOption->Selected);
    EXPECT_EQ(CountOther(page_.ChineseOption->Mark, kBackground), 0);
    EXPECT_EQ(CountOther(page_.EnglishOption->Mark, 0xb4b4b4), 0);
    EXPECT_STREQ(page_.InstallButton->Caption, L"Install");
    EXPECT_GT(page_.Layout.LicenseLinkRect.Width, 0);
}

// The copy to the window is the whole surface: read back from the window.
TEST_F(SkinPaintTest, CopyToWindowShowsTheSurface) {
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    UpdateWindow(window_);
    CopySurfaceToWindow(page_);
    GdiFlush();
    HDC dc = GetDC(window_);
    const COLORREF band = GetPixel(dc, 20, 260);
    const COLORREF back = GetPixel(dc, 300, 40);
    ReleaseDC(window_, dc);
    if (band == CLR_INVALID)
        GTEST_SKIP() << "this display gives no pixels back from a window";
    EXPECT_TRUE(Near(band, kBand));
    EXPECT_TRUE(Near(back, kBackground));
}

// The logo resource, when the test carries one, is decoded and drawn scaled.
TEST_F(SkinPaintTest, LogoIsLoadedAndScaled) {
#ifdef SKIN_TEST_HAS_LOGO
    ASSERT_TRUE(logoLoaded_);
    EXPECT_EQ(page_.Surface.LogoImage->GetWidth(), 250u);
    EXPECT_EQ(page_.Surface.LogoImage->GetHeight(), 35u);
    EXPECT_EQ(page_.Layout.LogoRect, (SkinRect{10, 10, 171, 24}));
    const COLORREF emblem = Pixel(13, 22);  // the emblem's blue disc
    EXPECT_GT(GetBValue(emblem), 0xc0) << std::hex << emblem;
    EXPECT_LT(GetRValue(emblem), 0x80) << std::hex << emblem;
#else
    EXPECT_FALSE(logoLoaded_);
    EXPECT_EQ(page_.Layout.LogoRect.Width, 0);
#endif
}

// The generated icon holds a 32 x 32 and a 16 x 16 image with colour.
TEST_F(SkinPaintTest, IconHasBothSizes) {
#ifdef SKIN_TEST_HAS_LOGO
    for (int size : {32, 16}) {
        HICON icon =
            static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(128), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap{};
        GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size);
        EXPECT_EQ(bitmap.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
#else
    GTEST_SKIP() << "this build has no generated artwork (no host tools)";
#endif
}

// On a scaled display every size of the page scales: the Install caption's
// font and measured height, and the outlines' pens (2 pixels from 144 dots
// per inch on), drawn inside the controls' edges and, for the path box, just
// outside its right edge.
TEST_F(SkinPaintTest, PageScalesWithTheDisplay) {
    std::unique_ptr<Gdiplus::Graphics> base = OpenDrawingContext(page_);
    const int32_t baseHeight = MeasureText(*base, L"Install", page_.InstallButton->FontSize).Height;
    base.reset();
    ASSERT_GT(baseHeight, 10);
    for (int32_t dpi : {144, 192}) {
        SCOPED_TRACE(dpi);
        const int w = ScaleForDpi(kW, dpi);
        const int h = ScaleForDpi(kH, dpi);
        HWND window = CreateWindowExW(0, L"SkinPaintTest", L"skin", WS_POPUP, 0, 0, w, h, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        SkinPage page;
        g_page = &page;
        RECT saved{};
        CreateSurface(page, window, GetModuleHandleW(nullptr), saved);
        page.Surface.Dpi = dpi;  // as the window of a scaled display reports it
        std::unique_ptr<Gdiplus::Graphics> graphics = OpenDrawingContext(page);
        ASSERT_TRUE(graphics);
        ComputeLayout(page);
        DrawBackground(*graphics, page);
        CreateControls(graphics.get(), page);
        const CSkinButton& install = *page.InstallButton;
        EXPECT_EQ(install.FontSize, ScaleForDpi(24, dpi));
        const int32_t height = MeasureText(*graphics, L"Install", install.FontSize).Height;
        EXPECT_NEAR(height, baseHeight * dpi / 96, 2);
        graphics.reset();

        const auto pixel = [&page](int x, int y) { return GetPixel(page.Surface.MemoryDc.Get(), x, y); };
        const SkinRect r = install.Core.Rect;
        const int midY = r.Y + r.Height / 2;
        EXPECT_TRUE(Near(pixel(r.X, midY), kOutline));
        EXPECT_TRUE(Near(pixel(r.X + 1, midY), kOutline));
        EXPECT_TRUE(Near(pixel(r.X + 2, midY), kBand));
        EXPECT_TRUE(Near(pixel(r.X + r.Width - 2, midY), kOutline));
        EXPECT_TRUE(Near(pixel(r.X + r.Width - 1, midY), kOutline));
        EXPECT_TRUE(Near(pixel(r.X + 1, r.Y + 1), kBand));  // the rounded corner
        EXPECT_TRUE(Near(pixel(r.X + r.Width / 2, r.Y), kOutline));
        EXPECT_TRUE(Near(pixel(r.X + r.Width / 2, r.Y + 1), kOutline));
        EXPECT_TRUE(Near(pixel(r.X + r.Width / 2, r.Y + 2), kBand));
        const SkinRect box = page.ChineseOption->Box;
        EXPECT_TRUE(Near(pixel(box.X + 1, box.Y + box.Height / 2), kOutline));
        EXPECT_TRUE(Near(pixel(box.X + 2, box.Y + box.Height / 2), kBackground));
        EXPECT_TRUE(Near(pixel(box.X + box.Width - 2, box.Y + box.Height / 2), kOutline));
        const SkinRect path = page.PathBox->Rect;
        EXPECT_TRUE(Near(pixel(path.X + path.Width + 1, path.Y + path.Height / 2), 0x505050));
        EXPECT_TRUE(Near(pixel(path.X + path.Width + 2, path.Y + path.Height / 2), kBackground));
        EXPECT_TRUE(Near(pixel(1, h / 3), 0x000000));
        EXPECT_TRUE(Near(pixel(2, h / 3), kBackground));

        ReleaseSkinPage(page);
        g_page = &page_;
        DestroyWindow(window);
    }
}

// Both fonts the page uses exist (the prefix maps "Arial" to a real face).
TEST_F(SkinPaintTest, FontsAreAvailable) {
    EXPECT_TRUE(CreateSkinFont(12));
    EXPECT_TRUE(CreateSkinFont(12, Gdiplus::FontStyleUnderline));
    EXPECT_TRUE(CreateSkinFont(24));
    std::unique_ptr<Gdiplus::Graphics> graphics = OpenDrawingContext(page_);
    const TextExtent small = MeasureText(*graphics, L"Install", 12);
    const TextExtent large = MeasureText(*graphics, L"Install", 24);
    EXPECT_GT(small.Width, 10);
    EXPECT_GT(large.Width, small.Width);
    EXPECT_GT(large.Height, small.Height);
}

}  // namespace
