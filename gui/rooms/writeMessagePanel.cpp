#include "gui/rooms/writeMessagePanel.h"

#include <wx/intl.h>
#include <wx/sizer.h>

#include <cstring>

#include "core/application.h"
#include "gui/pictures.h"
#include "gui/rooms/chatRoomPanel.h"
#include "gui/rooms/myTextCtrl.h"
#include "gui/rooms/smileyGrid.h"
#include "model/contactInfo.h"
#include "model/log.h"
#include "model/smiley.h"
#include "model/stringConversion.h"

const long WriteMessagePanel::ID_SMILEYS = wxNewId();
const long WriteMessagePanel::ID_SENDFILE = wxNewId();
const long WriteMessagePanel::ID_COMMENT = wxNewId();
const long WriteMessagePanel::ID_SAVE = wxNewId();

namespace {
const long kTextId = wxNewId();
const long kToolBarId = wxNewId();
const int kToolSize = 32;
}  // namespace

wxBEGIN_EVENT_TABLE(WriteMessagePanel, wxPanel)
  EVT_TOOL(WriteMessagePanel::ID_SMILEYS, WriteMessagePanel::OnToolBarEvent)
  EVT_TOOL(WriteMessagePanel::ID_SAVE, WriteMessagePanel::OnToolBarEvent)
  EVT_TOOL(WriteMessagePanel::ID_SENDFILE, WriteMessagePanel::OnToolBarEvent)
  EVT_TOOL(WriteMessagePanel::ID_COMMENT, WriteMessagePanel::OnToolBarEvent)
wxEND_EVENT_TABLE()

WriteMessagePanel::WriteMessagePanel(wxWindow* parent, Manager* manager, ChatRoomPanel* page)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER),
      m_page(page),
      m_manager(manager) {
  TRACE_START();
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  SetSizer(sizer);
  m_toolBar = new wxToolBar(this, kToolBarId, wxDefaultPosition, wxDefaultSize, wxTB_HORIZONTAL);
  m_toolBar->SetToolBitmapSize(wxSize(kToolSize, kToolSize));
  m_toolBar->AddTool(ID_SMILEYS, _("Smileys"), pictures::Load("smileys.png", kToolSize), _("Smileys"));
  m_toolBar->AddTool(ID_SENDFILE, _("Send a file"), pictures::Load("sendfile.png", kToolSize), _("Send a file"));
  m_toolBar->AddTool(ID_COMMENT, _("Tooltip"), pictures::Load("postit.png", kToolSize),
                     _("Add a comment about this site"));
  m_toolBar->AddSeparator();
  m_toolBar->AddTool(ID_SAVE, _("Save this chat"), pictures::Load("texte.png", kToolSize), _("Save chat"));
  m_toolBar->Realize();
  // A private room, of two people or more, is no site: it has no comments.
  m_toolBar->EnableTool(ID_COMMENT, m_page->GetURL().compare(0, std::strlen(kPrivateRoomPrefix), kPrivateRoomPrefix) != 0);
  m_text = new MyTextCtrl(this, kTextId, page);
  sizer->Add(m_toolBar, 0, wxEXPAND, 0);
  sizer->Add(m_text, 1, wxEXPAND, 0);
  Layout();
  TRACE_END();
}

WriteMessagePanel::~WriteMessagePanel() { TRACE_STARTEND(); }

void WriteMessagePanel::EnableSendMessage(bool enable) { m_text->SetEditable(enable); }

void WriteMessagePanel::SetFocus() { m_text->SetFocus(); }

void WriteMessagePanel::Hide() {
  TRACE_START();
  CloseSmileyGrid();
  Show(false);
  TRACE_END();
}

void WriteMessagePanel::CloseSmileyGrid() {
  if (!m_smileyGrid) return;
  TRACE_INFO("Destroy smiley grid");
  m_smileyGrid->Show(false);
  m_smileyGrid->Destroy();  // a top-level window goes once the events being handled are over
  m_smileyGrid = nullptr;
}

void WriteMessagePanel::OnToolBarEvent(wxCommandEvent& event) {
  TRACE_START();
  if (event.GetId() == ID_SMILEYS) {
    OnSmileyTool();
  } else if (event.GetId() == ID_SAVE) {
    TRACE_INFO("SAVE");
    m_page->SaveChatSession();
  } else if (event.GetId() == ID_SENDFILE) {
    TRACE_INFO("SENDFILE");
    m_page->SendFile();
  } else if (event.GetId() == ID_COMMENT) {
    TRACE_INFO("POSTIT");
    m_page->OpenComments();
  }
  TRACE_END();
}

void WriteMessagePanel::OnSmileyTool() {
  const wxPoint position =
      m_toolBar->ClientToScreen(wxPoint(0, 0)) + wxPoint(2, m_toolBar->GetClientSize().GetHeight());
  if (!m_smileyGrid) {
    TRACE_INFO("Smiley grid does not exist");
    m_smileyGrid = new SmileyGrid(this, position, m_manager->GetSmileys(m_manager->GetLogin()));
    m_smileyGrid->Show(true);
    return;
  }
  TRACE_INFO("Smiley grid exists");
  if (m_smileyGrid->IsShown()) {
    TRACE_INFO("Smiley grid is visible");
    CloseSmileyGrid();
    return;
  }
  TRACE_INFO("Smiley grid is not visible");
  m_smileyGrid->Move(position);
  m_smileyGrid->Show(true);
  m_smileyGrid->Raise();
}

void WriteMessagePanel::OnActivateSmiley(const Smiley& smiley) {
  TRACE_START();
  m_text->WriteText(std2wx(smiley.GetShortcut(0)));
  m_text->SetFocus();
  CloseSmileyGrid();
  TRACE_END();
}
