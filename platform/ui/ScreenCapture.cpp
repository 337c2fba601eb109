#include "platform/ui/ScreenCapture.h"

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/font.h>
#include <wx/image.h>
#include <wx/window.h>

#include <algorithm>

namespace {
constexpr int kCaptionRightMargin = 310;
constexpr int kCaptionTop = 70;
constexpr int kCaptionPointSize = 20;

wxColour FromColorRef(unsigned value) {
  return wxColour(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

void EnsureImageHandlers() {
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
}
}  // namespace

int CaptionLeft(int width) { return std::max(0, width - kCaptionRightMargin); }

int GfxCaptureScreenToBmpFile(wxWindow* window, const std::string& bmpPath) {
  if (!window || !window->IsShownOnScreen() || bmpPath.empty()) return 0;
  const wxRect area = window->GetScreenRect();
  if (area.width <= 0 || area.height <= 0) return 0;
  wxBitmap bitmap(area.width, area.height, 24);
  {
    wxScreenDC screen;
    wxMemoryDC memory(bitmap);
    if (!memory.Blit(0, 0, area.width, area.height, &screen, area.x, area.y)) return 0;
  }
  return bitmap.SaveFile(wxString::FromUTF8(bmpPath), wxBITMAP_TYPE_BMP) ? 1 : 0;
}

PictureResult CaptionPictureToPng(const std::string& bmpPath, const std::string& pngPath,
                                  const std::wstring& caption, unsigned text, unsigned back) {
  EnsureImageHandlers();
  wxImage image;
  if (!image.LoadFile(wxString::FromUTF8(bmpPath), wxBITMAP_TYPE_BMP) || !image.IsOk())
    return PictureResult::kLoadFailed;
  wxBitmap bitmap(image);
  {
    wxMemoryDC dc(bitmap);
    wxFont font(wxFontInfo(kCaptionPointSize).FaceName("Times New Roman"));
    dc.SetFont(font);
    dc.SetTextForeground(FromColorRef(text));
    dc.SetTextBackground(FromColorRef(back));
    dc.SetBackgroundMode(wxBRUSHSTYLE_SOLID);
    dc.DrawText(wxString(caption), CaptionLeft(image.GetWidth()), kCaptionTop);
  }
  if (!bitmap.ConvertToImage().SaveFile(wxString::FromUTF8(pngPath), wxBITMAP_TYPE_PNG))
    return PictureResult::kSaveFailed;
  return PictureResult::kOk;
}
