// The sites manager: the sites known, their status and notifications.
#ifndef PARLAVOX_GUI_WEBSITESSHORTFRAME_H
#define PARLAVOX_GUI_WEBSITESSHORTFRAME_H

#include "widgets/myMiniFrame.h"

class Manager;

class WebSitesShortFrame : public MyMiniFrame {
 public:
  WebSitesShortFrame(wxWindow* parent, Manager* manager);

 private:
  Manager* m_manager;
};

#endif
