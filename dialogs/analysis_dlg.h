// The result of the steganalysis of one picture: the verdict, each channel's estimates of the
// embedding rate, and the sequential chi-square curve as a small plot.
#pragma once

#include "core/stego/analysis.h"

#include <wx/dialog.h>
#include <wx/panel.h>

#include <string>

class wxStaticText;

namespace veilmark {

// "12.5 %" for a rate of 0.125; estimates a little outside [0, 1] show as the bound.
wxString RatePercent(double rate);

// The p-value curves of the three channels over the share of the pixel sequence.
class CChiSquarePlot : public wxPanel {
 public:
  CChiSquarePlot(wxWindow* parent, const stego::ImageAnalysis& analysis);

 private:
  void OnPaint(wxPaintEvent& event);
  stego::ImageAnalysis analysis_;
};

class CAnalysisDlg : public wxDialog {
 public:
  CAnalysisDlg(wxWindow* parent, const stego::ImageAnalysis& analysis,
               const std::string& imageName);

  wxStaticText* VerdictCtrl() const { return verdict_; }
  CChiSquarePlot* Plot() const { return plot_; }

 private:
  wxStaticText* verdict_ = nullptr;
  CChiSquarePlot* plot_ = nullptr;
};

}  // namespace veilmark
