#include "gui/rooms/smileyGrid.h"

#include <wx/app.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/statbox.h>
#include <wx/utils.h>
#include <wx/weakref.h>

#include "core/application.h"
#include "gui/rooms/smileySetup.h"
#include "gui/rooms/writeMessagePanel.h"
#include "model/config.h"
#include "model/imImage.h"
#include "model/log.h"
#include "model/smiley.h"
#include "model/stringConversion.h"
#include "widgets/cachedLook.h"

namespace {

const long kTimerId = wxNewId();
const long kAddButtonId = wxNewId();

// The smiley's picture fitted and centred in a cell; a blank square when it cannot be read.
wxBitmap CellPicture(const Smiley& smiley) {
  const wxSize cell(SmileyGrid::kCellSize, SmileyGrid::kCellSize);
  const wxBitmap picture = smiley.GetBitmap();
  if (!picture.IsOk()) {
    wxImage blank(cell);
    blank.InitAlpha();
    for (int y = 0; y < cell.y; ++y)
      for (int x = 0; x < cell.x; ++x) blank.SetAlpha(x, y, 0);
    return wxBitmap(blank);
  }
  return IMImage::ResizeBitmap(picture, cell, true, true);
}

// The dialog's choice applied to its smiley; null (and the user told) when its picture could
// not be stored.
Smiley* Saved(SmileySetup& setup) {
  Smiley* smiley = setup.SaveSmiley();
  if (!smiley)
    wxMessageDialog(&setup, wxString::Format(_("The smiley's picture could not be stored in %s."),
                                             std2wx(Config::GetUserPath())),
                    _("Setup smiley"), wxOK | wxICON_ERROR)
        .ShowModal();
  return smiley;
}

}  // namespace

SmileyButtonBitmapNotifier::SmileyButtonBitmapNotifier(SmileyGrid* grid, int id, const wxBitmap& bitmap)
    : wxPanel(grid, id, wxDefaultPosition, wxDefaultSize, wxNO_BORDER | wxTAB_TRAVERSAL) {
  SetBackgroundColour(*wxWHITE);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  // The generic picture has a window of its own, so that it receives the mouse under GTK.
  m_bitmap = new PictureWindow(this, id, bitmap, wxDefaultPosition,
                              wxSize(SmileyGrid::kCellSize, SmileyGrid::kCellSize));
  sizer->Add(m_bitmap, 0, 0, 0);
  SetSizer(sizer);
}

void SmileyButtonBitmapNotifier::SetBitmap(const wxBitmap& bitmap) { m_bitmap->SetBitmap(bitmap); }

wxBEGIN_EVENT_TABLE(SmileyGrid, wxFrame)
  EVT_LEFT_DOWN(SmileyGrid::OnLeftDown)
  EVT_TIMER(kTimerId, SmileyGrid::OnTimer)
  EVT_BUTTON(kAddButtonId, SmileyGrid::OnAddSmiley)
wxEND_EVENT_TABLE()

SmileyGrid::SmileyGrid(WriteMessagePanel* panel, wxPoint position, std::vector<Smiley*> smileys)
    : wxFrame(panel, wxID_ANY, "no title", position, wxDefaultSize,
              wxNO_BORDER | wxSTAY_ON_TOP | wxFRAME_SHAPED | wxFRAME_FLOAT_ON_PARENT | wxFRAME_NO_TASKBAR),
      m_panel(panel),
      m_timer(this, kTimerId) {
  TRACE_START();
  SetBackgroundColour(*wxWHITE);
  auto* box = new wxStaticBoxSizer(wxVERTICAL, this, _("Left click to select, right click to update"));
  m_gridSizer = new wxFlexGridSizer(int(smileys.size()) / kColumns + 1, kColumns, 0, 0);
  box->Add(m_gridSizer, 0, wxEXPAND, 0);
  for (Smiley* smiley : smileys) AddCell(smiley);
  m_addButton = new wxButton(this, kAddButtonId, "+", wxDefaultPosition, wxSize(kCellSize, kCellSize), wxBU_EXACTFIT);
  m_addButton->SetToolTip(_("Add a new smiley"));
  m_gridSizer->Add(m_addButton, 0, 0, 0);
  SetSizer(box);
  SetAutoLayout(true);
  box->SetSizeHints(this);
  box->Fit(this);
  TRACE_END();
}

SmileyGrid::~SmileyGrid() { m_timer.Stop(); }

void SmileyGrid::AddCell(Smiley* smiley) {
  const int id = int(wxNewId());
  auto* cell = new SmileyButtonBitmapNotifier(this, id, CellPicture(*smiley));
  cell->SetToolTip(std2wx(smiley->GetShortcutsText()));
  cell->GetPicture()->SetToolTip(std2wx(smiley->GetShortcutsText()));
  cell->GetPicture()->Bind(wxEVT_LEFT_DOWN, &SmileyGrid::OnSmileyClicked, this);
  cell->GetPicture()->Bind(wxEVT_RIGHT_DOWN, &SmileyGrid::OnSmileyRightClicked, this);
  m_smileys[id] = smiley;
  m_cells[id] = cell;
  m_gridSizer->Add(cell, 0, 0, 0);
}

std::vector<SmileyButtonBitmapNotifier*> SmileyGrid::GetCells() const {
  std::vector<SmileyButtonBitmapNotifier*> cells;
  for (wxSizerItem* item : m_gridSizer->GetChildren())
    if (auto* cell = dynamic_cast<SmileyButtonBitmapNotifier*>(item->GetWindow())) cells.push_back(cell);
  return cells;
}

bool SmileyGrid::Show(bool show) {
  if (show) m_timer.Start(kHideCheckMs);
  else m_timer.Stop();
  return wxFrame::Show(show);
}

void SmileyGrid::OnTimer(wxTimerEvent&) {
  const wxPoint pointer = wxGetMousePosition();
  const wxRect frame(GetScreenPosition(), GetSize());
  const bool inside = pointer.x >= frame.x && pointer.x <= frame.x + frame.width && pointer.y >= frame.y &&
                      pointer.y <= frame.y + frame.height;
  if (!inside) Show(false);
}

void SmileyGrid::OnLeftDown(wxMouseEvent&) { Show(false); }

void SmileyGrid::OnSmileyClicked(wxMouseEvent& event) {
  auto* source = dynamic_cast<wxWindow*>(event.GetEventObject());
  Show(false);
  if (!source) return;
  auto found = m_smileys.find(source->GetId());
  if (found == m_smileys.end()) return;
  // The panel closes the grid (once this handler is over): nothing of it is touched after.
  m_panel->OnActivateSmiley(*found->second);
}

void SmileyGrid::Refit() {
  m_gridSizer->Layout();
  GetSizer()->SetSizeHints(this);
  Fit();
}

void SmileyGrid::OnAddSmiley(wxCommandEvent&) {
  TRACE_START();
  // The grid may be closed while the dialog runs (its page with it): the smiley is kept all
  // the same, only the grid is not touched any more.
  wxWeakRef<SmileyGrid> self(this);
  SmileySetup setup(this, nullptr);
  Smiley* smiley = setup.ShowModal() == wxID_OK ? Saved(setup) : nullptr;
  if (!smiley) {
    TRACE_END_RESULT("nothing added");
    return;
  }
  GetManager()->AddSmiley(smiley);
  if (self) {
    m_gridSizer->Detach(m_addButton);
    AddCell(smiley);
    m_gridSizer->Add(m_addButton, 0, 0, 0);
    Refit();
  }
  TRACE_END();
}

void SmileyGrid::OnSmileyRightClicked(wxMouseEvent& event) {
  auto* source = dynamic_cast<wxWindow*>(event.GetEventObject());
  auto found = source ? m_smileys.find(source->GetId()) : m_smileys.end();
  if (found == m_smileys.end() || found->second->IsDefault()) return;
  TRACE_START();
  const int id = found->first;
  Smiley* smiley = found->second;
  wxWeakRef<SmileyGrid> self(this);
  SmileySetup setup(this, smiley);
  const int result = setup.ShowModal();
  if (result == wxID_OK && Saved(setup) && self) {
    SmileyButtonBitmapNotifier* cell = m_cells[id];
    cell->SetBitmap(CellPicture(*smiley));
    cell->SetToolTip(std2wx(smiley->GetShortcutsText()));
    cell->GetPicture()->SetToolTip(std2wx(smiley->GetShortcutsText()));
    Refit();
  } else if (result == wxID_NO) {
    if (self) {
      // The click that opened the dialog came from this cell: it goes once that is over.
      SmileyButtonBitmapNotifier* cell = m_cells[id];
      m_gridSizer->Detach(cell);
      cell->Hide();
      wxTheApp->ScheduleForDestruction(cell);
      m_cells.erase(id);
      m_smileys.erase(id);
      Refit();
    }
    GetManager()->RemoveSmiley(smiley);
  }
  TRACE_END();
}
