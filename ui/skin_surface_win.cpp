#include "ui/skin_surface_win.h"

#include <objidl.h>
#include <wincodec.h>

#include <cstring>
#include <initializer_list>
#include <string>

#include "platform/com_win.h"
#include "platform/text_win.h"
#include "ui/skin_dpi_win.h"

namespace {

constexpr Argb kWindowOutline = 0xfe000000;
constexpr Argb kPromptText = 0xfeffffff;
constexpr Argb kLinkText = 0xfe0097fb;
constexpr Argb kStatusText = 0xfeb4b4b4;
constexpr Argb kPathBoxBackground = 0xfe303030;
constexpr Argb kPathBoxText = 0xfeb4b4b4;

// Empties the surface in reverse order of creation. Safe to repeat.
void ReleaseSurface(SkinSurface& surface) {
    if (surface.MemoryDc && surface.InitialBitmap)
        SelectObject(surface.MemoryDc.Get(), surface.InitialBitmap);
    surface.InitialBitmap = nullptr;
    surface.Bitmap.Reset();
    surface.MemoryDc.Reset();
    if (surface.WindowDc)
        ReleaseDC(surface.Window, surface.WindowDc);
    surface.WindowDc = nullptr;
    surface.LogoImage.reset();
    surface.LogoMemory.Reset();
}

// Decodes a PNG with the platform's PNG decoder, named directly, into a
// 32-bit ARGB bitmap: the same decoder and the same pixels GDI+ gives for a
// PNG of 8-bit RGBA, without GDI+'s search for a decoder, which matches the
// bytes against the signatures of every registered image decoder and costs
// several times the decoding itself. Null when the bytes are not such a PNG
// (or COM is unusable); the caller then lets GDI+ decode them as it will.
std::unique_ptr<Gdiplus::Image> DecodeRgbaPng(IStream* stream) {
    ComInitialization com;
    if (!com.Succeeded())
        return nullptr;
    UniqueComPtr<IWICBitmapDecoder> decoder;
    UniqueComPtr<IWICBitmapFrameDecode> frame;
    WICPixelFormatGUID format{};
    UINT width = 0;
    UINT height = 0;
    if (FAILED(CoCreateInstance(CLSID_WICPngDecoder, nullptr, CLSCTX_INPROC_SERVER, IID_IWICBitmapDecoder,
                                decoder.Put())) ||
        FAILED(decoder->Initialize(stream, WICDecodeMetadataCacheOnDemand)) ||
        FAILED(decoder->GetFrame(0, reinterpret_cast<IWICBitmapFrameDecode**>(frame.Put()))) ||
        FAILED(frame->GetPixelFormat(&format)) || format != GUID_WICPixelFormat32bppBGRA ||
        FAILED(frame->GetSize(&width, &height)) || width == 0 || height == 0 || width > 4096 || height > 4096)
        return nullptr;
    auto bitmap =
        std::make_unique<Gdiplus::Bitmap>(static_cast<INT>(width), static_cast<INT>(height), PixelFormat32bppARGB);
    Gdiplus::Rect all(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    Gdiplus::BitmapData bits{};
    if (bitmap->GetLastStatus() != Gdiplus::Ok ||
        bitmap->LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB, &bits) != Gdiplus::Ok)
        return nullptr;
    const UINT stride = static_cast<UINT>(bits.Stride);
    const HRESULT copied = frame->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits.Scan0));
    bitmap->UnlockBits(&bits);
    if (FAILED(copied))
        return nullptr;
    return bitmap;
}

// The logo's bytes are copied into a fixed block that outlives the stream:
// GDI+ may read from the stream again while the image lives.
bool LoadLogo(SkinSurface& surface, HMODULE module) {
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(kLogoResourceId), L"PNG");
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = resource ? SizeofResource(module, resource) : 0;
    if (!bytes || size == 0)
        return false;
    UniqueGlobalMemory block(GlobalAlloc(GMEM_FIXED, size));
    if (!block)
        return false;
    std::memcpy(block.Get(), bytes, size);
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(block.Get(), FALSE, &stream) != S_OK)
        return false;
    std::unique_ptr<Gdiplus::Image> image = DecodeRgbaPng(stream);
    if (!image) {
        const LARGE_INTEGER start{};
        stream->Seek(start, STREAM_SEEK_SET, nullptr);
        image.reset(Gdiplus::Image::FromStream(stream));
    }
    stream->Release();
    if (!image || image->GetLastStatus() != Gdiplus::Ok)
        return false;
    surface.LogoImage = std::move(image);
    surface.LogoMemory = std::move(block);
    return true;
}

void CreateBitmap(SkinSurface& surface) {
    surface.MemoryDc.Reset(CreateCompatibleDC(surface.WindowDc));
    if (!surface.MemoryDc || surface.Width <= 0 || surface.Height <= 0) {
        surface.MemoryDc.Reset();
        return;
    }
    surface.Bitmap.Reset(CreateCompatibleBitmap(surface.WindowDc, surface.Width, surface.Height));
    if (!surface.Bitmap) {
        surface.MemoryDc.Reset();
        return;
    }
    surface.InitialBitmap = SelectObject(surface.MemoryDc.Get(), surface.Bitmap.Get());
}

std::wstring SlotWide(const LanguageTable& table, LanguageSlot slot) {
    const std::optional<std::u16string>& text = SlotText(table, slot);
    return text ? ToWide(*text) : std::wstring();
}

// Each control is made visible and normal (which asks the owner to repaint
// it) and is then painted into the open context.
template <typename Control>
void ShowAndPaint(Gdiplus::Graphics* graphics, Control& control) {
    control.SetVisible(true);
    control.SetNormal();
    if (graphics)
        control.Paint(*graphics);
}

template <typename Control>
Control* OwnControl(WPARAM wParam, std::initializer_list<Control*> controls) {
    for (Control* control : controls)
        if (control && reinterpret_cast<WPARAM>(control) == wParam)
            return control;
    return nullptr;
}

// The page's text sizes, in pixels at 96 dots per inch.
constexpr int32_t kPromptFontSize = 14;
constexpr int32_t kNoticeFontSize = 12;
constexpr int32_t kStatusFontSize = 14;
constexpr int32_t kSmallCaptionFontSize = 12;
constexpr int32_t kInstallCaptionFontSize = 24;

void DrawPrompts(Gdiplus::Graphics& graphics, SkinPage& page, const LanguageTable& table) {
    const SkinLayout& layout = page.Layout;
    const Gdiplus::Font* font = SkinFont(ScaleForDpi(kPromptFontSize, layout.Dpi));
    FillSkinRect(graphics, layout.LanguagePromptRect, page.BackgroundColor);
    FillSkinRect(graphics, layout.FolderPromptRect, page.BackgroundColor);
    DrawTextInRect(graphics, SlotWide(table, LanguageSlot::SelectLanguagePrompt), font, layout.LanguagePromptRect,
                   kPromptText, Gdiplus::StringAlignmentNear, Gdiplus::StringAlignmentFar);
    DrawTextInRect(graphics, SlotWide(table, LanguageSlot::SelectFolderPrompt), font, layout.FolderPromptRect,
                   kPromptText, Gdiplus::StringAlignmentNear, Gdiplus::StringAlignmentFar);
}

// The notice ends where its measured width ends, and the link starts one
// pixel later on the same baseline; the link's rectangle is what the pointer
// reacts to.
void DrawNoticeAndLink(Gdiplus::Graphics& graphics, SkinPage& page, const LanguageTable& table) {
    SkinLayout& layout = page.Layout;
    const SkinRect& notice = layout.NoticeRect;
    const std::wstring noticeText = SlotWide(table, LanguageSlot::LicenseNotice);
    const int32_t size = ScaleForDpi(kNoticeFontSize, layout.Dpi);
    const Gdiplus::Font* regular = SkinFont(size);
    const int32_t noticeWidth = MeasureText(graphics, noticeText, size).Width;
    FillSkinRect(graphics, notice, page.BackgroundColor);
    DrawTextInRect(graphics, noticeText, regular, {notice.X, notice.Y, noticeWidth + 1, notice.Height}, kPromptText,
                   Gdiplus::StringAlignmentFar, Gdiplus::StringAlignmentFar);

    const std::wstring linkText = SlotWide(table, LanguageSlot::LicenseTitle);
    const Gdiplus::Font* underlined = SkinFont(size, Gdiplus::FontStyleUnderline);
    const int32_t linkWidth = MeasureText(graphics, linkText, size).Width;
    layout.LicenseLinkRect = {notice.X + noticeWidth + 1, notice.Y, linkWidth + 1, notice.Height};
    DrawTextInRect(graphics, linkText, underlined, layout.LicenseLinkRect, kLinkText, Gdiplus::StringAlignmentNear,
                   Gdiplus::StringAlignmentFar);
    if (page.LinkFocused)
        PaintFocusOutline(graphics, layout.LicenseLinkRect, 0, layout.Dpi);
}

// "\r\n" starts a new line. Windows' GDI+ breaks at the pair, Wine's draws the
// carriage return as a missing-glyph box; both break at a lone "\n".
std::wstring LineBreaksAsNewlines(const wchar_t* text) {
    std::wstring lines;
    for (const wchar_t* at = text; *at; ++at) {
        if (!(at[0] == L'\r' && at[1] == L'\n'))
            lines.push_back(*at);
    }
    return lines;
}

}  // namespace

SkinSurface::~SkinSurface() {
    ReleaseSurface(*this);
}

bool CreateSurface(SkinPage& page, HWND window, HMODULE module, RECT& savedWindowRect) {
    SkinSurface& surface = page.Surface;
    ReleaseSurface(surface);
    RECT client{};
    GetClientRect(window, &client);
    GetWindowRect(window, &savedWindowRect);
    surface.Window = window;
    surface.Width = client.right - client.left;
    surface.Height = client.bottom - client.top;
    surface.WindowDc = GetDC(window);
    surface.Dpi = ReadWindowDpi(window, surface.WindowDc);
    CreateBitmap(surface);
    return LoadLogo(surface, module);
}

std::unique_ptr<Gdiplus::Graphics> OpenDrawingContext(const SkinPage& page) {
    if (!page.Surface.MemoryDc)
        return nullptr;
    return std::make_unique<Gdiplus::Graphics>(page.Surface.MemoryDc.Get());
}

void ComputeLayout(SkinPage& page) {
    const SkinSurface& surface = page.Surface;
    int32_t logoWidth = 0;
    int32_t logoHeight = 0;
    if (surface.LogoImage) {
        logoWidth = static_cast<int32_t>(surface.LogoImage->GetWidth());
        logoHeight = static_cast<int32_t>(surface.LogoImage->GetHeight());
    }
    page.Layout = ComputeLayout(surface.Width, surface.Height, logoWidth, logoHeight, surface.Dpi);
}

void DrawBackground(Gdiplus::Graphics& graphics, SkinPage& page) {
    page.BackgroundColor = kBackgroundColor;
    page.StatusAreaColor = kStatusAreaColor;
    const SkinLayout& layout = page.Layout;
    FillSkinRect(graphics, layout.ClientArea, page.BackgroundColor);
    FillSkinRect(graphics, layout.StatusArea, page.StatusAreaColor);
    if (page.Surface.LogoImage) {
        const SkinRect& logo = layout.LogoRect;
        graphics.DrawImage(page.Surface.LogoImage.get(), static_cast<INT>(logo.X), static_cast<INT>(logo.Y),
                           static_cast<INT>(logo.Width), static_cast<INT>(logo.Height));
    }
    const int32_t pen = layout.PenWidth;
    DrawSkinOutline(graphics, 0, 0, page.Surface.Width - pen, page.Surface.Height - pen, kWindowOutline, pen);
}

void CreateControls(Gdiplus::Graphics* graphics, SkinPage& page) {
    HWND owner = page.Surface.Window;
    const SkinLayout& layout = page.Layout;
    const int32_t dpi = layout.Dpi;
    page.PathBox = std::make_unique<CPathBox>(owner, layout.PathBoxRect, kPathBoxBackground, kPathBoxText, dpi);
    page.PathBox->Visible = 1;
    if (graphics)
        page.PathBox->Paint(*graphics);
    const int32_t captionSize = ScaleForDpi(kSmallCaptionFontSize, dpi);
    page.BrowseButton = std::make_unique<CSkinButton>(owner, layout.BrowseButtonRect, L"...", captionSize,
                                                      page.BackgroundColor, false, true, dpi);
    ShowAndPaint(graphics, *page.BrowseButton);
    page.CloseButton = std::make_unique<CSkinButton>(owner, layout.CloseButtonRect, L"X", captionSize,
                                                     page.BackgroundColor, false, false, dpi);
    ShowAndPaint(graphics, *page.CloseButton);
    page.InstallButton =
        std::make_unique<CSkinButton>(owner, layout.InstallButtonRect, L"Install",
                                      ScaleForDpi(kInstallCaptionFontSize, dpi), page.StatusAreaColor, true, true, dpi);
    ShowAndPaint(graphics, *page.InstallButton);
    const std::wstring chinese = ToWide(LanguageChoiceLabel(LanguageChoice::Chinese));
    page.ChineseOption = std::make_unique<CSkinOption>(owner, layout.OptionSlotRect[0], chinese.c_str(), dpi);
    ShowAndPaint(graphics, *page.ChineseOption);
    const std::wstring english = ToWide(LanguageChoiceLabel(LanguageChoice::English));
    page.EnglishOption = std::make_unique<CSkinOption>(owner, layout.OptionSlotRect[1], english.c_str(), dpi);
    ShowAndPaint(graphics, *page.EnglishOption);
}

void DrawPageTexts(Gdiplus::Graphics& graphics, SkinPage& page, const LanguageTable& table) {
    DrawPrompts(graphics, page, table);
    DrawNoticeAndLink(graphics, page, table);
    if (page.InstallButton) {
        page.InstallButton->SetCaption(SlotWide(table, LanguageSlot::InstallButtonLabel).c_str());
        page.InstallButton->Paint(graphics);
    }
}

void ShowStatus(SkinPage& page, const wchar_t* text) {
    page.StatusText = text ? text : L"";
    if (std::unique_ptr<Gdiplus::Graphics> graphics = OpenDrawingContext(page)) {
        FillSkinRect(*graphics, page.Layout.StatusArea, page.StatusAreaColor);
        if (text) {
            const Gdiplus::Font* font = SkinFont(ScaleForDpi(kStatusFontSize, page.Layout.Dpi));
            DrawTextInRect(*graphics, LineBreaksAsNewlines(text), font, page.Layout.StatusArea, kStatusText,
                           Gdiplus::StringAlignmentCenter, Gdiplus::StringAlignmentCenter);
        }
    }
    CopySurfaceToWindow(page);
}

namespace {

// The context is closed (and so flushed) before the copy.
template <typename Control>
void Repaint(SkinPage& page, Control* control) {
    if (control) {
        if (std::unique_ptr<Gdiplus::Graphics> graphics = OpenDrawingContext(page))
            control->Paint(*graphics);
    }
    CopySurfaceToWindow(page);
}

}  // namespace

void RepaintPathBox(SkinPage& page, CPathBox* box) {
    Repaint(page, box);
}

void RepaintButton(SkinPage& page, CSkinButton* button) {
    Repaint(page, button);
}

void RepaintOption(SkinPage& page, CSkinOption* option) {
    Repaint(page, option);
}

void CopySurfaceToWindow(const SkinPage& page) {
    CopySurfaceTo(page, page.Surface.WindowDc);
}

void CopySurfaceTo(const SkinPage& page, HDC dc) {
    const SkinSurface& surface = page.Surface;
    if (!dc || !surface.MemoryDc)
        return;
    BitBlt(dc, 0, 0, surface.Width, surface.Height, surface.MemoryDc.Get(), 0, 0, SRCCOPY);
}

CPathBox* PathBoxOfMessage(const SkinPage& page, WPARAM wParam) {
    return OwnControl(wParam, {page.PathBox.get()});
}

CSkinButton* ButtonOfMessage(const SkinPage& page, WPARAM wParam) {
    return OwnControl(wParam, {page.BrowseButton.get(), page.CloseButton.get(), page.InstallButton.get()});
}

CSkinOption* OptionOfMessage(const SkinPage& page, WPARAM wParam) {
    return OwnControl(wParam, {page.ChineseOption.get(), page.EnglishOption.get()});
}

CSkinOption* OptionOfChoice(const SkinPage& page, LanguageChoice choice) {
    switch (choice) {
        case LanguageChoice::Chinese:
            return page.ChineseOption.get();
        case LanguageChoice::English:
            return page.EnglishOption.get();
        default:
            return nullptr;
    }
}

LanguageChoice ChoiceOfOption(const SkinPage& page, const CSkinOption* option) {
    if (option && option == page.ChineseOption.get())
        return LanguageChoice::Chinese;
    if (option && option == page.EnglishOption.get())
        return LanguageChoice::English;
    return LanguageChoice::None;
}

void RedrawLanguage(SkinPage& page,
                    const LanguageChoiceState& state,
                    const LanguageRedraw& redraw,
                    const LanguageTable& table) {
    if (page.ChineseOption)
        page.ChineseOption->SetSelected(state.ChineseChecked);
    if (page.EnglishOption)
        page.EnglishOption->SetSelected(state.EnglishChecked);
    for (LanguageChoice choice : redraw.Choices)
        RepaintOption(page, OptionOfChoice(page, choice));
    if (!redraw.WholeWindow)
        return;
    if (std::unique_ptr<Gdiplus::Graphics> graphics = OpenDrawingContext(page))
        DrawPageTexts(*graphics, page, table);
    CopySurfaceToWindow(page);
}

void ReleaseSkinPage(SkinPage& page) {
    page.PathBox.reset();
    page.BrowseButton.reset();
    page.CloseButton.reset();
    page.InstallButton.reset();
    page.ChineseOption.reset();
    page.EnglishOption.reset();
    ReleaseSurface(page.Surface);
    ReleaseSkinFonts();
}
