// The dialogs' own rules: validation, limits, Clear, and the message dialog's buttons.
#include "dialogs/analysis_dlg.h"
#include "dialogs/gamma_dlg.h"
#include "dialogs/message_dlg.h"
#include "dialogs/passwords_dlg.h"
#include "dialogs/secret_message_dlg.h"
#include "dialogs/threshold_dlg.h"

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/testing.h>
#include <wx/textctrl.h>

#include <cmath>

namespace veilmark {
namespace {

void Click(wxDialog& dialog, int id) {
  wxCommandEvent event(wxEVT_BUTTON, id);
  event.SetEventObject(dialog.FindWindow(id));
  dialog.ProcessWindowEvent(event);
}

bool ShowsLabel(const wxWindow& parent, const wxString& label) {
  for (const wxWindow* child : parent.GetChildren())
    if (dynamic_cast<const wxStaticText*>(child) && child->GetLabel() == label) return true;
  return false;
}

TEST(AnalysisDialog, ShowsTheVerdictAndFiguresOnlyWhenThereAreAny) {
  const struct {
    stego::Verdict verdict;
    const char* label;
    bool figures;
  } cases[] = {{stego::Verdict::kTooSmall, "Too small to analyse", false},
               {stego::Verdict::kLooksClean, "Looks clean", true},
               {stego::Verdict::kLikelyCarriesData, "Likely carries hidden data", true}};
  for (const auto& c : cases) {
    stego::ImageAnalysis analysis;
    analysis.verdict = c.verdict;
    analysis.channels[1].rsRate = 0.123;
    analysis.channels[2].spaRate = 0.456;
    analysis.channels[0].chiSquareCurve.assign(stego::kChiSquarePoints, 0.9);
    CAnalysisDlg dialog(nullptr, analysis, "pier.png");
    EXPECT_EQ(dialog.VerdictCtrl()->GetLabel(), c.label);
    EXPECT_TRUE(ShowsLabel(dialog, "pier.png"));
    EXPECT_EQ(ShowsLabel(dialog, "12.3 %"), c.figures) << c.label;
    EXPECT_EQ(ShowsLabel(dialog, "45.6 %"), c.figures) << c.label;
  }
  // Estimates stray a little past the bounds on some pictures; a rate is a share.
  EXPECT_EQ(RatePercent(-0.004), "0.0 %");
  EXPECT_EQ(RatePercent(1.02), "100.0 %");
  EXPECT_EQ(RatePercent(std::nan("")), "-");
}

TEST(PasswordsDialog, RefusesShortPasswordsAndReturnsTheValues) {
  PasswordsDialogData data;
  data.passwords[0] = "quintus4072";
  data.selected = 2;
  data.save = false;
  CPasswordsDlg dialog(nullptr, data);
  dialog.Show();  // shown modeless, OK hides it
  EXPECT_TRUE(dialog.Radio(2)->GetValue());
  EXPECT_EQ(dialog.Edit(0)->GetValue(), "quintus4072");

  dialog.Edit(3)->ChangeValue("abcd");
  wxTEST_DIALOG(Click(dialog, wxID_OK), wxExpectModal<wxMessageDialog>(wxID_OK));
  EXPECT_TRUE(dialog.IsShown()) << "the dialog stays open";

  dialog.Edit(3)->ChangeValue("abcde");
  dialog.Radio(4)->SetValue(true);
  Click(dialog, wxID_OK);
  EXPECT_FALSE(dialog.IsShown());
  const PasswordsDialogData out = dialog.Data();
  EXPECT_EQ(out.passwords[0], "quintus4072");
  EXPECT_EQ(out.passwords[3], "abcde");
  EXPECT_EQ(out.passwords[1], "");
  EXPECT_EQ(out.selected, 4);
  EXPECT_FALSE(out.save);
}

TEST(PasswordsDialog, OutOfRangeSelectionShowsSlotOneAndAcceptsAtMost64Characters) {
  PasswordsDialogData data;
  data.selected = 7;
  CPasswordsDlg dialog(nullptr, data);
  EXPECT_EQ(dialog.Data().selected, 0);
  dialog.Edit(0)->SetValue(wxString('x', 64));
  dialog.Edit(0)->SetInsertionPointEnd();
  dialog.Edit(0)->WriteText("more");
  EXPECT_EQ(dialog.Edit(0)->GetValue(), wxString('x', 64));
}

TEST(SecretMessageDialog, ClearEmptiesTheTextAndResetsSaveToItsOpeningState) {
  CSecretMessageDlg dialog(nullptr, "hello", true);
  dialog.SaveBox()->SetValue(false);
  Click(dialog, CSecretMessageDlg::ID_CLEAR);
  EXPECT_EQ(dialog.Message(), "");
  EXPECT_TRUE(dialog.Save());

  wxString longText;
  while (longText.length() < 17000) longText += "a secret word\n";
  dialog.MessageEdit()->SetValue(longText);
  EXPECT_EQ(dialog.Message().size(), 16384u);
}

class FakeActions : public MessageDialogActions {
 public:
  std::string Input() const override { return input; }
  void SetInput(const std::string& text) override { input = text; }
  std::string Output() const override { return output; }
  void SetOutput(const std::string& text) override { output = text; }
  bool Save() const override { return save; }
  void SetSave(bool value) override { save = value; }
  void Encrypt() override {
    log += "E(" + input + ")";
    output = "CIPHER";
  }
  void Decrypt() override { log += "D(" + input + ")"; }
  void Clear() override { input = output = ""; }
  void Paste() override { input = "pasted"; }
  void Copy() override { log += "C(" + output + ")"; }

  std::string input = "stored in", output = "stored out", log;
  bool save = true;
};

TEST(MessageDialog, ButtonsActOnTheShownTextsAndShowTheResult) {
  FakeActions actions;
  CEncryptDecryptMessageDlg dialog(nullptr, actions);
  EXPECT_EQ(dialog.InputEdit()->GetValue(), "stored in");
  EXPECT_EQ(dialog.OutputEdit()->GetValue(), "stored out");

  dialog.InputEdit()->ChangeValue("typed");
  Click(dialog, CEncryptDecryptMessageDlg::ID_ENCRYPT);
  EXPECT_EQ(actions.log, "E(typed)");
  EXPECT_EQ(dialog.OutputEdit()->GetValue(), "CIPHER");
  Click(dialog, CEncryptDecryptMessageDlg::ID_COPY);
  EXPECT_EQ(actions.log, "E(typed)C(CIPHER)");
  Click(dialog, CEncryptDecryptMessageDlg::ID_PASTE);
  EXPECT_EQ(dialog.InputEdit()->GetValue(), "pasted");
  Click(dialog, CEncryptDecryptMessageDlg::ID_CLEAR);
  EXPECT_EQ(dialog.InputEdit()->GetValue(), "");
  EXPECT_EQ(dialog.OutputEdit()->GetValue(), "");
}

TEST(MessageDialog, CloseKeepsTheTextsEscapeDoesNot) {
  FakeActions actions;
  {
    CEncryptDecryptMessageDlg dialog(nullptr, actions);
    dialog.InputEdit()->ChangeValue("kept");
    dialog.SaveBox()->SetValue(false);
    Click(dialog, wxID_OK);
    EXPECT_EQ(dialog.GetReturnCode(), wxID_OK);
    EXPECT_EQ(actions.input, "kept");
    EXPECT_FALSE(actions.save);
  }
  {
    CEncryptDecryptMessageDlg dialog(nullptr, actions);
    dialog.InputEdit()->ChangeValue("dropped");
    wxKeyEvent escape(wxEVT_CHAR_HOOK);
    escape.m_keyCode = WXK_ESCAPE;
    dialog.ProcessWindowEvent(escape);
    EXPECT_EQ(dialog.GetReturnCode(), wxID_CANCEL);
    EXPECT_EQ(actions.input, "kept");
  }
}

TEST(ValueDialogs, RefuseWhatIsNotAValue) {
  CGammaDlg gamma(nullptr, 0.5f);
  gamma.Show();
  EXPECT_EQ(gamma.Edit()->GetValue(), "0.5");
  gamma.Edit()->ChangeValue(".");
  wxTEST_DIALOG(Click(gamma, wxID_OK), wxExpectModal<wxMessageDialog>(wxID_OK));
  EXPECT_TRUE(gamma.IsShown());
  gamma.Edit()->ChangeValue("2");
  Click(gamma, wxID_OK);
  EXPECT_FALSE(gamma.IsShown());
  EXPECT_EQ(gamma.Value(), 2.0f);

  CThresholdDlg threshold(nullptr);
  threshold.Show();
  EXPECT_EQ(threshold.Edit()->GetValue(), "128") << "mid-grey, not a white picture";
  threshold.Edit()->ChangeValue("300");
  wxTEST_DIALOG(Click(threshold, wxID_OK), wxExpectModal<wxMessageDialog>(wxID_OK));
  EXPECT_TRUE(threshold.IsShown());
  threshold.Edit()->ChangeValue("128");
  Click(threshold, wxID_OK);
  EXPECT_FALSE(threshold.IsShown());
  EXPECT_EQ(threshold.Value(), 128);
}

}  // namespace
}  // namespace veilmark
