#include "dialogs/analysis_dlg.h"

#include "dialogs/dialog_util.h"

#include <wx/button.h>
#include <wx/dcbuffer.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace veilmark {

namespace {

constexpr const char* kChannelNames[] = {"Red", "Green", "Blue"};
const wxColour kChannelColours[] = {wxColour(0xD2, 0x3B, 0x33), wxColour(0x23, 0x9B, 0x48),
                                    wxColour(0x2F, 0x74, 0xC9)};

wxColour VerdictColour(stego::Verdict verdict) {
  switch (verdict) {
    case stego::Verdict::kLikelyCarriesData:
      return wxColour(0xB0, 0x20, 0x20);
    case stego::Verdict::kLooksClean:
      return wxColour(0x1E, 0x7B, 0x34);
    case stego::Verdict::kTooSmall:
      break;
  }
  return wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT);
}

wxString Capitalised(const char* text) {
  wxString s = wxString::FromUTF8(text);
  if (!s.empty()) s[0] = wxToupper(s[0]);
  return s;
}

}  // namespace

wxString RatePercent(double rate) {
  if (!std::isfinite(rate)) return "-";
  return wxString::Format("%.1f %%", std::clamp(rate, 0.0, 1.0) * 100.0);
}

CChiSquarePlot::CChiSquarePlot(wxWindow* parent, const stego::ImageAnalysis& analysis)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_THEME),
      analysis_(analysis) {
  SetMinSize(FromDIP(wxSize(440, 210)));
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &CChiSquarePlot::OnPaint, this);
  Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    Refresh();
    event.Skip();
  });
}

void CChiSquarePlot::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  dc.SetBackground(*wxWHITE_BRUSH);
  dc.Clear();
  dc.SetFont(GetFont().Smaller());
  dc.SetTextForeground(wxColour(0x40, 0x40, 0x40));

  const wxSize size = GetClientSize();
  const int left = dc.GetTextExtent("0.00").x + FromDIP(10);
  const int right = FromDIP(12);
  const int top = FromDIP(10);
  const int bottom = 2 * dc.GetCharHeight() + FromDIP(8);
  const wxRect area(left, top, std::max(1, size.x - left - right),
                    std::max(1, size.y - top - bottom));
  auto toX = [&](double share) { return area.x + static_cast<int>(share * area.width + 0.5); };
  auto toY = [&](double p) {
    return area.GetBottom() - static_cast<int>(std::clamp(p, 0.0, 1.0) * area.height + 0.5);
  };

  // Grid and axes, with the p-value up the side and the share of the pixels along the bottom.
  dc.SetPen(wxPen(wxColour(0xE2, 0xE2, 0xE2)));
  for (int i = 1; i < 4; ++i) {
    dc.DrawLine(area.x, toY(i / 4.0), area.GetRight(), toY(i / 4.0));
    dc.DrawLine(toX(i / 4.0), area.y, toX(i / 4.0), area.GetBottom());
  }
  dc.SetPen(wxPen(wxColour(0x60, 0x60, 0x60)));
  dc.DrawLine(area.x, area.y, area.x, area.GetBottom());
  dc.DrawLine(area.x, area.GetBottom(), area.GetRight(), area.GetBottom());
  for (int i = 0; i <= 4; ++i) {
    const wxString y = wxString::Format("%.2f", i / 4.0);
    const wxSize ye = dc.GetTextExtent(y);
    dc.DrawText(y, area.x - ye.x - FromDIP(4), toY(i / 4.0) - ye.y / 2);
    const wxString x = wxString::Format("%d %%", i * 25);
    const wxSize xe = dc.GetTextExtent(x);
    const int tx = std::clamp(toX(i / 4.0) - xe.x / 2, 0, std::max(0, size.x - xe.x));
    dc.DrawText(x, tx, area.GetBottom() + FromDIP(3));
  }
  const wxString caption = "p-value over the first part of the pixels, in embedding order";
  const wxSize ce = dc.GetTextExtent(caption);
  dc.DrawText(caption, area.x + (area.width - ce.x) / 2,
              area.GetBottom() + FromDIP(5) + dc.GetCharHeight());

  if (analysis_.verdict == stego::Verdict::kTooSmall) {
    const wxString none = "No curve: the picture is too small to analyse";
    const wxSize ne = dc.GetTextExtent(none);
    dc.DrawText(none, area.x + (area.width - ne.x) / 2, area.y + (area.height - ne.y) / 2);
    return;
  }
  for (std::size_t c = 0; c < analysis_.channels.size(); ++c) {
    const std::vector<double>& curve = analysis_.channels[c].chiSquareCurve;
    if (curve.empty()) continue;
    std::vector<wxPoint> points;
    points.reserve(curve.size() + 1);
    // Point i covers the first (i + 1) / N of the sequence; the curve starts at the first.
    for (std::size_t i = 0; i < curve.size(); ++i)
      points.emplace_back(toX(static_cast<double>(i + 1) / static_cast<double>(curve.size())),
                          toY(std::isfinite(curve[i]) ? curve[i] : 0.0));
    dc.SetPen(wxPen(kChannelColours[c], FromDIP(2)));
    if (points.size() == 1)
      dc.DrawCircle(points[0], FromDIP(2));
    else
      dc.DrawLines(static_cast<int>(points.size()), points.data());
  }
}

CAnalysisDlg::CAnalysisDlg(wxWindow* parent, const stego::ImageAnalysis& analysis,
                           const std::string& imageName)
    : wxDialog(parent, wxID_ANY, "Analyse image", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxRESIZE_BORDER) {
  auto* root = new wxBoxSizer(wxVERTICAL);
  if (!imageName.empty()) {
    auto* name = new wxStaticText(this, wxID_ANY, wxString::FromUTF8(imageName));
    name->SetFont(name->GetFont().Bold());
    root->Add(name, 0, wxLEFT | wxRIGHT | wxTOP, 10);
  }

  verdict_ = new wxStaticText(this, wxID_ANY, Capitalised(stego::VerdictText(analysis.verdict)));
  verdict_->SetFont(verdict_->GetFont().Bold().Larger());
  verdict_->SetForegroundColour(VerdictColour(analysis.verdict));
  root->Add(verdict_, 0, wxALL, 10);

  const bool measured = analysis.verdict != stego::Verdict::kTooSmall;
  if (measured) {
    root->Add(new wxStaticText(this, wxID_ANY,
                               "Estimated share of pixels whose lowest bit carries data: " +
                                   RatePercent(analysis.estimatedRate)),
              0, wxLEFT | wxRIGHT | wxBOTTOM, 10);

    auto* table = new wxFlexGridSizer(4, FromDIP(wxSize(18, 4)));
    for (const char* heading : {"Channel", "RS analysis", "Sample pairs", "Chi-square prefix"}) {
      auto* label = new wxStaticText(this, wxID_ANY, heading);
      label->SetFont(label->GetFont().Bold());
      table->Add(label);
    }
    for (std::size_t c = 0; c < analysis.channels.size(); ++c) {
      const stego::ChannelAnalysis& channel = analysis.channels[c];
      auto* name = new wxStaticText(this, wxID_ANY, kChannelNames[c]);
      name->SetForegroundColour(kChannelColours[c]);
      table->Add(name);
      table->Add(new wxStaticText(this, wxID_ANY, RatePercent(channel.rsRate)), 0, wxALIGN_RIGHT);
      table->Add(new wxStaticText(this, wxID_ANY, RatePercent(channel.spaRate)), 0, wxALIGN_RIGHT);
      table->Add(new wxStaticText(this, wxID_ANY, RatePercent(channel.chiSquarePrefix)), 0,
                 wxALIGN_RIGHT);
    }
    root->Add(table, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
  }

  plot_ = new CChiSquarePlot(this, analysis);
  root->Add(plot_, 1, wxEXPAND | wxLEFT | wxRIGHT, 10);
  root->Add(new wxStaticText(this, wxID_ANY,
                             "A p-value near 1 means the low bits of that part look like "
                             "encrypted data rather than a\nphotograph's noise; the chi-square "
                             "prefix is how far into the picture that holds."),
            0, wxALL, 10);

  auto* ok = new wxButton(this, wxID_OK, "OK");
  ok->SetDefault();
  root->Add(ok, 0, wxALIGN_RIGHT | wxLEFT | wxRIGHT | wxBOTTOM, 10);
  SetSizerAndFit(root);
  FitCaption(this);
  SetEscapeId(wxID_OK);
}

}  // namespace veilmark
