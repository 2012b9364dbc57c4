// The main window's off-screen surface and the dialog's drawing operations.
// Everything is painted with GDI+ into one memory bitmap the size of the
// client area, and that whole bitmap is copied to the window after each
// event-driven change; nothing is drawn on the window directly.
//
// The dialog owns one SkinPage and calls, in OnInitDialog: CreateSurface;
// then, inside one drawing context (Gdiplus::Graphics on page.Surface's
// memory DC, see OpenDrawingContext): ComputeLayout, DrawBackground,
// CreateControls, ... , DrawPageTexts. The control messages 1224 / 1226 /
// 1228 go to RepaintPathBox / RepaintButton / RepaintOption; WM_PAINT to
// CopySurfaceTo; worker reports to ShowStatus; language decisions to
// RedrawLanguage. WM_DESTROY calls ReleaseSkinPage (before the graphics
// library is shut down). UI thread only.
#pragma once

#include <windows.h>

#include <gdiplus.h>

#include <memory>
#include <string>

#include "config/language_choice.h"
#include "config/language_table.h"
#include "platform/unique_handle_win.h"
#include "ui/skin_controls_win.h"
#include "ui/skin_layout.h"
#include "ui/skin_text_win.h"

// Resource of the logo: type "PNG", identifier 129.
inline constexpr WORD kLogoResourceId = 129;

// The off-screen surface. Width and Height are read once; the window is never
// resized. Members are released in reverse order: the bitmap is selected out
// of the memory DC before either goes.
struct SkinSurface {
    SkinSurface() = default;
    SkinSurface(const SkinSurface&) = delete;
    SkinSurface& operator=(const SkinSurface&) = delete;
    ~SkinSurface();

    HWND Window = nullptr;
    HDC WindowDc = nullptr;  // GetDC(Window), kept for the surface's lifetime
    UniqueMemoryDc MemoryDc;
    UniqueGdiObject Bitmap;  // Width x Height, selected into MemoryDc
    HGDIOBJ InitialBitmap = nullptr;
    int32_t Width = 0;
    int32_t Height = 0;
    // The display's dots per inch, read once from the window (ReadWindowDpi):
    // every pixel size of the page is scaled from 96 to it.
    int32_t Dpi = kSkinBaseDpi;
    // The decoded logo and the memory block its stream reads from; the block
    // lives as long as the image.
    std::unique_ptr<Gdiplus::Image> LogoImage;
    UniqueGlobalMemory LogoMemory;
};

// Everything the page consists of. The colours are kUnsetColor until
// DrawBackground; the controls are null until CreateControls.
struct SkinPage {
    SkinSurface Surface;
    SkinLayout Layout;
    Argb BackgroundColor = kUnsetColor;
    Argb StatusAreaColor = kUnsetColor;
    std::unique_ptr<CPathBox> PathBox;
    std::unique_ptr<CSkinButton> BrowseButton;
    std::unique_ptr<CSkinButton> CloseButton;
    std::unique_ptr<CSkinButton> InstallButton;
    std::unique_ptr<CSkinOption> ChineseOption;
    std::unique_ptr<CSkinOption> EnglishOption;
    bool LinkFocused = false;  // DrawPageTexts outlines the licence link
    std::wstring StatusText;   // what ShowStatus last drew in the band
};

// Reads the client size and the window rectangle (into `savedWindowRect`),
// takes the window's DC, reads the display's dots per inch (Surface.Dpi),
// creates the memory DC and the client-sized bitmap and selects it, and
// loads the logo (resource "PNG" 129 of `module`).
// Returns whether the logo was loaded; the surface is usable either way
// unless the window has no client area or the bitmap could not be made
// (then MemoryDc is null and every drawing operation does nothing).
bool CreateSurface(SkinPage& page, HWND window, HMODULE module, RECT& savedWindowRect);

// A drawing context on the surface; null when the surface has no memory DC.
std::unique_ptr<Gdiplus::Graphics> OpenDrawingContext(const SkinPage& page);

// page.Layout = ComputeLayout(surface size, logo size or 0 x 0 without logo,
// the surface's dots per inch).
void ComputeLayout(SkinPage& page);

// Sets the two page colours; fills the client area and the status band;
// draws the logo scaled into LogoRect; draws the 0xfe000000 outline along
// the client area's edge pixels (1 pixel wide at 96 dots per inch).
void DrawBackground(Gdiplus::Graphics& graphics, SkinPage& page);

// Creates (owner = page.Surface.Window) and paints, in this order: the path
// box, the browse, close and Install buttons, the Chinese and English
// options, each with its sizes scaled to the layout's dots per inch. Each is
// made visible and put into its normal state, which sends its redraw
// message to the owner, and is then painted into `graphics`. A
// null `graphics` (a surface that could not be made) creates the controls
// all the same, unpainted, so the page works without its picture.
void CreateControls(Gdiplus::Graphics* graphics, SkinPage& page);

// Draws the two prompts, the licence notice and the licence link from
// `table`, sets page.Layout.LicenseLinkRect from the measured texts, copies
// InstallButtonLabel into the Install button's caption and paints the
// button. Does not copy the surface to the window. Empty slots draw nothing.
// The link gets the focus outline while page.LinkFocused is set.
void DrawPageTexts(Gdiplus::Graphics& graphics, SkinPage& page, const LanguageTable& table);

// Fills the status band and, when `text` is not null, draws it centred in
// 0xfeb4b4b4 at 14 pixels at 96 dots per inch ("\r\n" starts a second
// line); then copies the surface to the window. page.StatusText keeps the
// text (null: empty).
void ShowStatus(SkinPage& page, const wchar_t* text);

// The repaints for UM_PATHBOX_REDRAW, UM_BUTTON_REDRAW and UM_OPTION_REDRAW:
// open a drawing context, let the control paint itself, close the context,
// copy the surface to the window. A null control only copies.
void RepaintPathBox(SkinPage& page, CPathBox* box);
void RepaintButton(SkinPage& page, CSkinButton* button);
void RepaintOption(SkinPage& page, CSkinOption* option);

// Copies the whole surface (W x H from 0, 0, SRCCOPY) to the window's DC, or
// to `dc` (the paint DC of WM_PAINT).
void CopySurfaceToWindow(const SkinPage& page);
void CopySurfaceTo(const SkinPage& page, HDC dc);

// The page's own control that a control message's wParam names, or null
// when it names none of them (a message from elsewhere). The value is only
// compared with the page's controls, never used as an address.
CPathBox* PathBoxOfMessage(const SkinPage& page, WPARAM wParam);
CSkinButton* ButtonOfMessage(const SkinPage& page, WPARAM wParam);
CSkinOption* OptionOfMessage(const SkinPage& page, WPARAM wParam);

// The option control of a language choice (null for None or before
// CreateControls), and the choice an option control stands for.
CSkinOption* OptionOfChoice(const SkinPage& page, LanguageChoice choice);
LanguageChoice ChoiceOfOption(const SkinPage& page, const CSkinOption* option);

// Draws what ApplyLanguage / OnLanguageChoice decided: sets both options'
// Selected from `state`, repaints the listed choices into the surface (in
// order), and when redraw.WholeWindow is set runs DrawPageTexts with `table`
// and copies the surface to the window.
void RedrawLanguage(SkinPage& page,
                    const LanguageChoiceState& state,
                    const LanguageRedraw& redraw,
                    const LanguageTable& table);

// WM_DESTROY: deletes the controls, the surface and the logo, in that order,
// then the cached fonts (ReleaseSkinFonts).
void ReleaseSkinPage(SkinPage& page);
