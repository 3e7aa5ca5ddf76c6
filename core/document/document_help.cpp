// Help menu and folder commands.
#include "core/base/text_util.h"
#include "core/document/document.h"

namespace veilmark {

namespace {
constexpr char kWebSite[] = "https://www.veilmark.org";

std::string DisclaimerText() {
  return "DISCLAIMER\n--------------\n\n"
         "This software uses strong cryptography provided by the Crypto++ library "
         "(https://www.cryptopp.com). Although it is created, maintained and distributed from "
         "European countries where this is legal, it falls under export, import and/or use "
         "restrictions in some other parts of the world. Please read the legal notices "
         "below.\n\n"
         "EXPORTING, IMPORTING OR USING STRONG CRYPTOGRAPHY SOFTWARE, PROVIDING CRYPTOGRAPHY "
         "HOOKS, OR EVEN JUST COMMUNICATING TECHNICAL DETAILS ABOUT CRYPTOGRAPHY SOFTWARE IS "
         "ILLEGAL IN SOME PARTS OF THE WORLD. IF YOU IMPORT THIS SOFTWARE INTO YOUR COUNTRY, "
         "REDISTRIBUTE IT FROM THERE OR SEND TECHNICAL SUGGESTIONS BY E-MAIL, PAY CLOSE "
         "ATTENTION TO THE LAWS THAT APPLY TO YOU.\n"
         "THE AUTHORS OF CRYPTO++ AND OF VEILMARK ARE NOT LIABLE FOR ANY VIOLATION YOU MAKE: "
         "IT IS YOUR RESPONSIBILITY.\n\n"
         "THE AUTHOR OF THIS SOFTWARE WILL NOT BE HELD LIABLE FOR THE VIOLATION OF ANY LAW "
         "GOVERNING THE IMPORT OR EXPORT OF STRONG CRYPTOGRAPHY SOFTWARE.\n"
         "IT IS YOUR RESPONSIBILITY TO FIND OUT WHICH OF THESE LAWS APPLY TO YOU BEFORE YOU "
         "OBTAIN ANY CRYPTOGRAPHIC SOFTWARE.\n\n"
         "It is illegal to use cryptography and/or steganography for criminal or terrorist "
         "purposes.\n";
}
}  // namespace

void CLumicraftDoc::OnHelpAbout() {
  ScopedToolWindowsHidden hidden(m_ui);
  m_ui.ShowAbout();
}

void CLumicraftDoc::OnHelpDisclaimer() {
  m_ui.ShowMessage(DisclaimerText(), {}, MessageIcon::Question);
}

void CLumicraftDoc::OnHelpFrameColors() {
  ScopedToolWindowsHidden hidden(m_ui);
  m_ui.ShowFrameColors();
}

void CLumicraftDoc::OnHelpWebSite() { m_ui.OpenWithSystem(kWebSite); }

void CLumicraftDoc::OnViewRefreshFolder() { OpenFolder(m_folder.m_strFolder); }

void CLumicraftDoc::OnViewSamplesFolder() {
  if (!m_strSamplesFolder.empty() && IsDirectory(m_strSamplesFolder))
    OpenFolder(m_strSamplesFolder);
}

void CLumicraftDoc::OnOpenFolder() {
  if (!m_folder.m_strFolder.empty() && !PathExists(m_folder.m_strFolder)) {
    m_ui.ShowMessage("Selected folder not found.", "Folder not found", MessageIcon::Exclamation);
    return;
  }
  if (!m_folder.m_strFolder.empty()) m_ui.OpenWithSystem(m_folder.m_strFolder);
}

}  // namespace veilmark
