// The main window and the sites and accounts: recommended sites, comment counts, the banner, a
// ban from a site's room, the browser extension, the state of an account on another network,
// and what the panels ask about sites.
#include <wx/statbmp.h>

#include "core/application.h"
#include "core/guiEvents.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/rooms/commentsFrame.h"
#include "gui/profiles/contactInfoFrame.h"
#include "gui/mainFrame.h"
#include "gui/notifyFrame.h"
#include "gui/sites/sitesPanel.h"
#include "gui/sites/webSitesShortFrame.h"
#include "model/log.h"
#include "model/messengerInfo.h"
#include "model/recommendedSite.h"
#include "model/stringConversion.h"
#include "model/urlInfo.h"

void MainFrame::ReceiveRecommendSite(wxCommandEvent& event) {
  if (const auto* site = ManagerEvent::RecommendedSiteOf(event))
    m_sitesManager->AddRecommendedSite(*site);
}

void MainFrame::ReceiveAddWebSite(wxCommandEvent& event) {
  if (const auto* site = ManagerEvent::SiteOf(event)) m_sitesManager->AddWebSite(*site);
}

void MainFrame::ReceiveUpdateComments(wxCommandEvent& event) {
  const URLInfo* site = ManagerEvent::SiteOf(event);
  if (!site) return;
  m_sitesPanel->UpdateComments(*site);
  CommentsFrame::UpdateComment(site->GetURL(), site->GetNbrComments(), site->GetGrade());
}

void MainFrame::ReceiveUpdateAd(wxCommandEvent& event) {
  if (!m_banner) return;
  m_banner->SetBitmap(m_manager->GetImage(wx2std(event.GetString())));
  Layout();
}

void MainFrame::ReceiveBanSite(wxCommandEvent& event) {
  const std::string url = wx2std(event.GetString());
  TRACE_START_ARGS("%s", url.c_str());
  m_chatRooms->BanChatRoom(url);
  m_sitesPanel->SwitchSubscribeChatRoom(url, false);
  TRACE_END();
}

void MainFrame::ReceiveRegisterExtension(wxCommandEvent& event) {
  const std::string name = wx2std(event.GetString());
  m_sitesPanel->UpdateExtensionStatus(name, m_manager->GetExtensionStatus(name));
}

void MainFrame::ReceiveMessengerInfo(wxCommandEvent& event) {
  MessengerInfo* account = ManagerEvent::MessengerOf(event);
  if (!account) return;
  TRACE_START_ARGS("%s, %d", account->GetLogin().c_str(), account->GetStatus());
  // An own profile window not made yet lists the account as it then stands when it is made.
  if (ContactInfoFrame* profile = ContactInfoFrame::GetContactInfoFor(m_manager->GetLogin()))
    profile->UpdateMessengerInfo(account);
  wxString notice;
  switch (account->GetStatus()) {
    case 0: notice = _("End of connection to"); break;
    case 1: notice = _("Unable to connect to"); break;
    case 4: notice = _("Connection confirmed to"); break;
    default: TRACE_END(); return;
  }
  const wxString detail = std2wx(account->GetDescription()) + " (" + std2wx(account->GetLogin()) + ")";
  if (NotifyFrame* popup = NotifyFrame::AddNotification(NotifyAction(NOTIFY_ACTION_OWN_PROFILE),
                                                        _("External messenger"), notice, *wxBLUE, detail, *wxBLUE))
    popup->Popup();
  TRACE_END();
}

void MainFrame::OpenComments(const std::string& url) {
  CommentsFrame::OpenCommentsFor(this, this, m_manager, url);
}

bool MainFrame::HasRoomTab(const std::string& url) const { return m_chatRooms && m_chatRooms->IsChatRoomOpened(url); }

bool MainFrame::SendComment(const std::string& url, const std::string& text, int grade) {
  if (!m_manager->SendComment(url, text, grade)) return false;
  m_sitesPanel->UpdateGrade(url, grade);
  return true;
}

void MainFrame::SwitchWebSiteStatus(const std::string& url) {
  TRACE_START_ARGS("%s", url.c_str());
  URLInfo* site = m_manager->GetURLInfo(url);
  if (!site) return;
  m_manager->SetSiteStatus(url, site->GetStatus() == SITE_BLOCKED ? SITE_OPEN : SITE_BLOCKED);
  m_sitesManager->UpdateWebSiteStatus(*site);
  TRACE_END();
}
