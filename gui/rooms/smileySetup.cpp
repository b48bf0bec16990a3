#include "gui/rooms/smileySetup.h"

#include <sys/stat.h>
#include <unistd.h>
#include <wx/filedlg.h>
#include <wx/intl.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/statline.h>
#include <wx/stattext.h>

#include "core/application.h"
#include "gui/messageYesNoCancelFrame.h"
#include "gui/pictures.h"
#include "gui/windowIcon.h"
#include "model/config.h"
#include "model/imImage.h"
#include "model/log.h"
#include "model/smiley.h"
#include "model/stringConversion.h"

namespace {

const long kImageButtonId = wxNewId();
const long kShortcutsId = wxNewId();
const long kDescriptionId = wxNewId();
const int kPreviewSize = 64;

// A GIF is kept as a PNG; every stored name has the lower-case extension the image store reads.
std::string StoredExtension(wxBitmapType type) {
  return type == wxBITMAP_TYPE_JPEG ? "jpg" : "png";
}

wxBitmapType StoredType(wxBitmapType type) { return type == wxBITMAP_TYPE_JPEG ? wxBITMAP_TYPE_JPEG : wxBITMAP_TYPE_PNG; }

bool Exists(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0;
}

// The image of a chosen file; an invalid one when it is no image the program reads.
wxImage LoadChosen(const std::string& path) {
  const wxBitmapType type = IMImage::GetBitmapType(path);
  wxImage image;
  if (type == wxBITMAP_TYPE_INVALID) return image;
  wxLogNull quiet;  // a file that does not decode is told about by the dialog
  image.LoadFile(std2wx(path), type);
  return image;
}

wxBitmap Preview(const wxBitmap& picture) {
  return IMImage::ResizeBitmap(picture, wxSize(kPreviewSize, kPreviewSize), true, true);
}

}  // namespace

SmileySetup::SmileySetup(wxWindow* parent, Smiley* smiley)
    : wxDialog(parent, wxID_ANY, _("Setup smiley"), wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE),
      m_smiley(smiley) {
  TRACE_START();
  if (!m_smiley) {
    m_created.reset(new Smiley());
    m_smiley = m_created.get();
  }
  SetProgramIcon(this);
  Build(smiley != nullptr);
  Bind(wxEVT_CLOSE_WINDOW, &SmileySetup::OnClose, this);
  Bind(wxEVT_BUTTON, &SmileySetup::OnEnd, this, wxID_OK);
  Bind(wxEVT_BUTTON, &SmileySetup::OnEnd, this, wxID_CANCEL);
  Bind(wxEVT_BUTTON, &SmileySetup::OnEnd, this, wxID_NO);
  Bind(wxEVT_BUTTON, &SmileySetup::OnSelectImage, this, kImageButtonId);
  Bind(wxEVT_TEXT, &SmileySetup::OnTextChanged, this, kShortcutsId);
  Bind(wxEVT_TEXT, &SmileySetup::OnTextChanged, this, kDescriptionId);
  // Filling the fields runs the check, which settles the first state of Add/Update.
  m_descriptionField->SetValue(std2wx(m_smiley->GetName()));
  m_shortcutsField->SetValue(std2wx(m_smiley->GetShortcutsText()));
  CheckFields();
  TRACE_END();
}

SmileySetup::~SmileySetup() = default;

void SmileySetup::Build(bool editing) {
  auto* main = new wxBoxSizer(wxVERTICAL);
  main->Add(new wxStaticText(this, wxID_ANY, _("Click inside the box on the left to select an image for your smiley.")),
            0, wxLEFT | wxRIGHT | wxTOP, 8);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  auto* box = new wxStaticBoxSizer(wxHORIZONTAL, this, _("Smiley:"));
  const wxBitmap own = editing ? m_smiley->GetBitmap() : wxBitmap();
  const wxBitmap picture = own.IsOk() ? Preview(own) : pictures::Load("question.png", kPreviewSize);
  m_imageButton = new wxBitmapButton(this, kImageButtonId, picture, wxDefaultPosition,
                                     editing ? wxDefaultSize : wxSize(kPreviewSize, kPreviewSize), wxBU_AUTODRAW);
  m_imageButton->SetToolTip(_("Click inside the box on the left to select an image for your smiley."));
  box->Add(m_imageButton, 0, wxALIGN_CENTER);
  row->Add(box, 0, wxALIGN_CENTER);
  row->Add(BuildFields(), 1, wxLEFT | wxTOP, 8);
  main->Add(row, 1, wxEXPAND | wxALL, 8);
  main->Add(new wxStaticLine(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLI_HORIZONTAL), 0, wxEXPAND | wxALL,
            10);

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  m_okButton = new wxButton(this, wxID_OK, editing ? _("Update") : _("Add"));
  m_removeButton = new wxButton(this, wxID_NO, _("Remove"));
  buttons->Add(m_okButton, 1, 0, 0);
  buttons->Add(m_removeButton, 1, wxLEFT, 10);
  buttons->Add(new wxButton(this, wxID_CANCEL, _("Cancel")), 1, wxLEFT, 10);
  m_okButton->SetDefault();
  m_okButton->Enable(false);
  m_removeButton->Enable(editing);
  main->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 10);

  SetSizer(main);
  SetAutoLayout(true);
  main->SetSizeHints(this);
  Fit();
}

wxSizer* SmileySetup::BuildFields() {
  auto* fields = new wxFlexGridSizer(3, 2, 2, 2);
  fields->AddGrowableCol(1);
  auto label = [&](const wxString& text) {
    fields->Add(new wxStaticText(this, wxID_ANY, text), 0, wxALIGN_CENTER_VERTICAL);
  };
  label(_("File:"));
  m_fileField = new wxTextCtrl(this, wxID_ANY, std2wx(m_smiley->GetFilename()));
  m_fileField->Enable(false);
  fields->Add(m_fileField, 1, wxEXPAND);
  label(_("Description:"));
  m_descriptionField = new wxTextCtrl(this, kDescriptionId, wxEmptyString, wxDefaultPosition, wxSize(200, -1));
  fields->Add(m_descriptionField, 1, wxEXPAND);
  label(_("Shortcuts:"));
  m_shortcutsField = new wxTextCtrl(this, kShortcutsId, wxEmptyString, wxDefaultPosition, wxSize(200, -1));
  m_shortcutsField->SetMaxLength(kLongestShortcut);
  fields->Add(m_shortcutsField, 1, wxEXPAND);
  return fields;
}

void SmileySetup::OnTextChanged(wxCommandEvent&) { CheckFields(); }

void SmileySetup::CheckFields() {
  const wxString shortcut = m_shortcutsField->GetValue();
  // The whole text is one shortcut, spaces and all; the server takes at most 20 characters.
  const bool ok = !m_descriptionField->GetValue().empty() && !shortcut.empty() && !m_fileField->GetValue().empty() &&
                  shortcut.length() <= kLongestShortcut &&
                  !GetManager()->IsSmileyShortcutUsed(wx2std(shortcut), m_smiley);
  m_okButton->Enable(ok);
}

void SmileySetup::OnClose(wxCloseEvent&) {
  if (IsModal()) EndModal(wxID_CANCEL);
  else Hide();
}

void SmileySetup::OnEnd(wxCommandEvent& event) {
  if (IsModal()) EndModal(event.GetId());
}

int SmileySetup::AskSize(const wxSize& size) {
  const bool tooBig = size.x > kLargestSize || size.y > kLargestSize;
  if (!tooBig && size.x <= kStandardSize && size.y <= kStandardSize) return 0;
  const wxString message =
      tooBig ? _("Your image is too big. Do you want to resize it:\n  - to our standard size (24x24 pixels)\n"
                 "  - to the maximum size (256x256 pixels)")
             : _("Your image is bigger than our standard size for smileys. Do you want:\n  - to resize it to our "
                 "standard size (24x24 pixels)\n  - to keep the image as is");
  MessageYesNoCancelFrame ask(this, message, wxEmptyString,
                              tooBig ? _("Smiley size is too big") : _("Smiley size is big"), _("Resize to 24x24"),
                              tooBig ? _("Resize to 256x256") : _("Keep as is"), _("Cancel"), wxEmptyString, 30);
  switch (ask.ShowModal()) {
    case wxID_YES: return kStandardSize;
    case wxID_NO: return tooBig ? kLargestSize : 0;
    default: return -1;
  }
}

void SmileySetup::OnSelectImage(wxCommandEvent&) {
  TRACE_START();
  wxFileDialog choose(this, _("Select your smiley..."), wxEmptyString, wxEmptyString,
                      "All types|*.png;*.PNG;*.gif;*.GIF;*.jpg;*.JPG;*.jpeg;*.JPEG|PNG (*.png)|*.png;*.PNG|GIF "
                      "(*.gif)|*.gif;*.GIF|JPG (*.jpg;*.jpeg)|*.jpg;*.jpeg;*.JPG;*.JPEG",
                      wxFD_OPEN);
  if (choose.ShowModal() != wxID_OK) {
    TRACE_END_RESULT("cancelled");
    return;
  }
  const std::string path = wx2std(choose.GetPath());
  if (!TakeImage(path) && !LoadChosen(path).IsOk()) {
    wxMessageDialog(this, wxString::Format(_("%s is not an image that can be used as a smiley."), std2wx(path)),
                    _("Setup smiley"), wxOK | wxICON_ERROR)
        .ShowModal();
  }
  TRACE_END();
}

bool SmileySetup::TakeImage(const std::string& path) {
  const wxImage image = LoadChosen(path);
  if (!image.IsOk()) return false;
  const int choice = AskSize(image.GetSize());
  // Cancelling the size question leaves the dialog as it was, an image taken earlier included.
  if (choice < 0) return false;
  m_sizeChoice = choice;
  wxBitmap picture(image);
  if (choice > 0) picture = IMImage::ResizeBitmap(picture, wxSize(choice, choice), false, false);
  m_fileField->SetValue(std2wx(path));
  m_imageButton->SetBitmapLabel(Preview(picture));
  CheckFields();
  Layout();
  return true;
}

std::string SmileySetup::NextSmileyPath(const std::string& chosen) {
  const wxBitmapType type = IMImage::GetBitmapType(chosen);
  if (type == wxBITMAP_TYPE_INVALID) return "";
  const std::string stem = Config::GetUserPath() + "smiley_";
  const std::string extension = "." + StoredExtension(type);
  int n = 1;
  while (Exists(stem + std::to_string(n) + extension)) ++n;
  return stem + std::to_string(n) + extension;
}

Smiley* SmileySetup::SaveSmiley() {
  TRACE_START_ARGS("%d", m_sizeChoice);
  std::string file = wx2std(m_fileField->GetValue());
  if (m_sizeChoice >= 0) {
    wxImage image = LoadChosen(file);
    const std::string stored = NextSmileyPath(file);
    if (image.IsOk() && m_sizeChoice > 0)
      image = IMImage::ResizeBitmap(wxBitmap(image), wxSize(m_sizeChoice, m_sizeChoice), false, false).ConvertToImage();
    wxLogNull quiet;
    if (!image.IsOk() || stored.empty() ||
        !image.SaveFile(std2wx(stored), StoredType(IMImage::GetBitmapType(file)))) {
      if (!stored.empty()) ::unlink(stored.c_str());
      TRACE_ERROR("smiley not stored: %s", file.c_str());
      TRACE_END();
      return nullptr;
    }
    file = stored;
  }
  m_smiley->SetFilename(file);
  m_smiley->SetName(wx2std(m_descriptionField->GetValue()));
  m_smiley->SetShortcut(wx2std(m_shortcutsField->GetValue()));
  TRACE_END();
  m_created.release();  // the caller's now
  return m_smiley;
}
