#include "gui/rooms/fileInfoPanel.h"

#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/statline.h>
#include <wx/stattext.h>

#include <algorithm>

#include "core/application.h"
#include "gui/pictures.h"
#include "gui/rooms/fileInfoButtonBitmapNotifier.h"
#include "gui/rooms/filesFrame.h"
#include "model/log.h"
#include "model/stringConversion.h"
#include "widgets/shownText.h"

namespace {

const wxColour kFailedColour(255, 0, 0);
const wxColour kRunningColour(51, 255, 255);
const wxColour kCompleteColour(0, 221, 0);
// The longest file name, nickname or room name a row shows whole.
constexpr size_t kShownName = 100;

// The name after the path's last "/", or the whole name when there is nothing after one.
wxString DisplayedName(const std::string& fileName) {
  const size_t slash = fileName.rfind('/');
  // Named by the peer: no character of it may turn the name around ("gnp.exe" as "exe.png").
  if (slash == std::string::npos || slash + 1 == fileName.size()) return shown::OneLine(fileName, kShownName);
  return shown::OneLine(fileName.substr(slash + 1), kShownName);
}

}  // namespace

FileInfoPanel::FileInfoPanel(FilesFrame* filesFrame, wxWindow* parent, bool download, const std::string& transferKey,
                             const std::string& nickname, const std::string& site, const wxString& roomLabel,
                             const std::string& fileName, t_fm_status status, int64_t transferred, int64_t size,
                             double speed)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER),
      m_filesFrame(filesFrame),
      m_transferKey(transferKey),
      m_download(download),
      m_site(site),
      m_fileName(fileName),
      m_status(status),
      m_transferred(transferred),
      m_size(size),
      m_speed(speed) {
  TRACE_START_ARGS("%s, %d", transferKey.c_str(), static_cast<int>(status));
  auto* main = new wxBoxSizer(wxVERTICAL);
  SetSizer(main);
  SetBackgroundColour(*wxWHITE);
  BuildFirstLine(main);
  BuildSecondLine(main, nickname);
  BuildThirdLine(main, roomLabel);
  main->Add(new wxStaticLine(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLI_HORIZONTAL), 0,
            wxEXPAND | wxTOP, 4);
  UpdateView();
  SetStatus(status);
  Layout();
  TRACE_END();
}

void FileInfoPanel::BuildFirstLine(wxSizer* main) {
  auto* line = new wxBoxSizer(wxHORIZONTAL);
  auto* name = new wxStaticText(this, wxID_ANY, wxEmptyString);
  name->SetLabelText(DisplayedName(m_fileName));
  ShrinkToFit(line, name);
  line->AddStretchSpacer(1);
  m_button = new FileInfoButtonBitmapNotifier(this, pictures::Load("close.png", 16), 0, m_download);
  m_button->SetToolTip(_("Cancel"));
  line->Add(m_button, 0, 0, 0);
  main->Add(line, 1, wxEXPAND, 0);
}

void FileInfoPanel::BuildSecondLine(wxSizer* main, const std::string& nickname) {
  auto* line = new wxBoxSizer(wxHORIZONTAL);
  line->Add(8, 8);
  auto* peer = new wxStaticText(this, wxID_ANY, wxEmptyString);
  peer->SetLabelText((m_download ? _("from ") : _("to ")) + shown::OneLine(nickname, kShownName));
  ShrinkToFit(line, peer);
  line->Add(8, 8);
  m_sizeText = new wxStaticText(this, wxID_ANY, wxEmptyString);
  line->Add(m_sizeText, 0, 0, 0);
  line->Add(16, 16);
  m_percentText = new wxStaticText(this, wxID_ANY, wxEmptyString);
  line->Add(m_percentText, 0, 0, 0);
  main->Add(line, 1, wxEXPAND, 0);
}

void FileInfoPanel::BuildThirdLine(wxSizer* main, const wxString& roomLabel) {
  auto* line = new wxBoxSizer(wxHORIZONTAL);
  line->Add(8, 8);
  auto* room = new wxStaticText(this, wxID_ANY, wxEmptyString);
  room->SetLabelText(shown::OneLine(roomLabel, kShownName));
  ShrinkToFit(line, room);
  line->Add(8, 8);
  m_speedText = new wxStaticText(this, wxID_ANY, wxEmptyString);
  line->Add(m_speedText, 0, 0, 0);
  main->Add(line, 0, wxEXPAND, 0);
}

// A long name takes the room the figures leave, cut at its end (whole in its tooltip) rather
// than pushing them past the row's right edge (the list has no horizontal scroll bar). Not
// ellipsized by the toolkit: that costs a relayout of the text at every refresh of the row.
void FileInfoPanel::ShrinkToFit(wxSizer* line, wxStaticText* label) {
  const wxSize full = label->GetBestSize();
  label->SetMinSize(wxSize(std::min(full.x, FromDIP(40)), full.y));
  label->SetToolTip(label->GetLabelText());
  line->Add(label, 1, wxALIGN_CENTER_VERTICAL, 0);
}

wxString FileInfoPanel::SizeText(int64_t transferred, int64_t size) {
  if (size > 9999)
    return wxString::Format(_("%lld / %lld kbytes"), static_cast<long long>(transferred / 1024),
                            static_cast<long long>(size / 1024));
  return wxString::Format(_("%lld / %lld bytes"), static_cast<long long>(transferred), static_cast<long long>(size));
}

wxString FileInfoPanel::PercentText(int64_t transferred, int64_t size) {
  // In floating point, so that sizes beyond 2 GiB neither overflow nor lose the fraction; a
  // count outside 0 to the size (a peer's word) is held to the bounds.
  const double ratio = size > 0 ? static_cast<double>(transferred) / static_cast<double>(size) * 100.0 : 0.0;
  const int percent = static_cast<int>(std::clamp(ratio, 0.0, 100.0));
  return wxString::Format("%.2d %%", percent);
}

wxString FileInfoPanel::SpeedText(double speed) {
  if (speed < 1000.0) return wxString::Format(_("%.1f bytes/s"), speed);
  return wxString::Format(_("%.1f kbytes/s"), speed / 1024.0);
}

void FileInfoPanel::SetProgress(int64_t transferred, int64_t size, double speed) {
  m_transferred = transferred;
  m_size = size;
  m_speed = speed;
  UpdateView();
}

void FileInfoPanel::UpdateView() {
  Freeze();
  ++m_viewUpdates;
  // An unknown size (0, or below 0 from a peer) leaves the texts as they are.
  if (m_size > 0) {
    m_sizeText->SetLabel(SizeText(m_transferred, m_size));
    ShowSpeed();
    m_percentText->SetLabel(EndedShort() ? wxString() : PercentText(m_transferred, m_size));
    SetStatus(m_status);
  }
  Layout();
  Refresh(true);
  Thaw();
}

// A complete transfer shows its average speed, or nothing when none was measured; one that
// ended short shows none: a speed there would read as though it still ran.
void FileInfoPanel::ShowSpeed() {
  const bool shown = !EndedShort() && (m_speed > 0 || IsRunning());
  const wxString text = shown ? SpeedText(m_speed) : wxString();
  if (text == m_speedText->GetLabel()) return;
  m_speedText->SetLabel(text);
  Layout();
}

bool FileInfoPanel::EndedShort() const {
  switch (m_status) {
    case FM_HOST_UNREACHABLE:
    case FM_NOT_AVAILABLE:
    case FM_INTERRUPTED:
    case FM_FAILED:
    case FM_CANCELLED: return true;
    default: return false;
  }
}

void FileInfoPanel::SetStatus(t_fm_status status) {
  m_status = status;
  Freeze();
  if (m_size > 0) ShowSpeed();
  wxColour colour;
  switch (status) {
    case FM_HOST_UNREACHABLE:
    case FM_NOT_AVAILABLE:
    case FM_INTERRUPTED:
    case FM_FAILED:
    case FM_CANCELLED:
      colour = kFailedColour;
      // Only how far it got stays: the bytes done.
      m_percentText->SetLabel(wxString());
      break;
    case FM_STARTED:
    case FM_IN_PROGRESS: colour = kRunningColour; break;
    case FM_COMPLETE:
      colour = kCompleteColour;
      m_percentText->SetLabel(_("OK"));
      break;
    default: break;
  }
  if (colour.IsOk()) {
    SetBackgroundColour(colour);
    m_button->SetBackgroundColour(colour);
    Refresh(true);
  }
  Thaw();
}

wxString FileInfoPanel::GetSizeText() const { return m_sizeText->GetLabel(); }
wxString FileInfoPanel::GetPercentText() const { return m_percentText->GetLabel(); }
wxString FileInfoPanel::GetSpeedText() const { return m_speedText->GetLabel(); }

void FileInfoPanel::OnCancel(wxMouseEvent& event) {
  TRACE_START_ARGS("%s, %d", m_transferKey.c_str(), static_cast<int>(m_status));
  auto* source = dynamic_cast<wxWindow*>(event.GetEventObject());
  auto* button = source ? dynamic_cast<FileInfoButtonBitmapNotifier*>(source->GetParent()) : nullptr;
  if (!button || button->GetKind() != 0) {
    TRACE_END_RESULT("not a row button");
    return;
  }
  // A started transfer is cancelled as well as one in progress: both have a thread running.
  if (IsRunning()) {
    Manager* manager = GetManager();
    if (button->IsDownload()) manager->CancelDownload(m_transferKey);
    else manager->CancelUpload(m_transferKey);
    TRACE_END_RESULT("cancelled");
    return;
  }
  // Taken out now, destroyed once this click has been handled.
  m_filesFrame->RemovePanel(this);
  TRACE_END_RESULT("removed");
}
